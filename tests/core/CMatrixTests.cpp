// CMatrix: identity construction, clamped element access, transform, the
// Gauss-Jordan inverse and the engine's orthographic projection.
#include "core/CMatrix.h"
#include "core/CVector.h"

#include <gtest/gtest.h>

namespace {

CMatrix multiply(const CMatrix& a, const CMatrix& b)
{
    CMatrix result(4, 4);
    for (unsigned r = 0; r < 4; ++r) {
        for (unsigned c = 0; c < 4; ++c) {
            float sum = 0;
            for (unsigned k = 0; k < 4; ++k)
                sum += a.element(r, k) * b.element(k, c);
            result.setElement(r, c, sum);
        }
    }
    return result;
}

void expectIdentity(const CMatrix& m, float tolerance = 0.0f)
{
    ASSERT_EQ(m.rows(), 4u);
    ASSERT_EQ(m.columns(), 4u);
    for (unsigned r = 0; r < 4; ++r) {
        for (unsigned c = 0; c < 4; ++c)
            EXPECT_NEAR(m.element(r, c), r == c ? 1.0f : 0.0f, tolerance) << r << "," << c;
    }
}

} // namespace

TEST(CMatrix, ConstructionAndClampedAccess)
{
    const CMatrix m;
    expectIdentity(m);
    EXPECT_EQ(m.element(16u), 0.0f);
    EXPECT_EQ(m.element(4u, 0u), 0.0f);
    EXPECT_EQ(m.element(0xFFFFFFFFu, 0xFFFFFFFFu), 0.0f);

    CMatrix rect(2, 3);
    EXPECT_EQ(rect.elementCount(), 6u);
    EXPECT_EQ(rect.element(1u, 1u), 1.0f);
    EXPECT_EQ(rect.element(1u, 2u), 0.0f);
    rect.setElement(6u, 5.0f);  // out of range: ignored
    rect.setElement(1u, 2u, 7.0f);
    EXPECT_EQ(rect.data()[5], 7.0f);

    const CMatrix empty(0, 4);
    EXPECT_EQ(empty.data(), nullptr);
    EXPECT_EQ(empty.element(0u), 0.0f);

    // 65536 × 65536 floats do not fit in 32-bit byte sizes: refused, empty.
    const CMatrix huge(65536, 65536);
    EXPECT_TRUE(huge.isEmpty());
    EXPECT_EQ(huge.rows(), 0u);

    CMatrix copy(3, 3);
    copy = rect;  // deep copy of size and elements
    rect.setElement(0u, 9.0f);
    EXPECT_EQ(copy.rows(), 2u);
    EXPECT_EQ(copy.element(0u), 1.0f);
    EXPECT_EQ(copy.element(5u), 7.0f);
}

TEST(CMatrix, TransformBySize)
{
    CMatrix m4(4, 4);
    m4.setElement(1u, 2.0f);  // x contributes to y
    m4.setTranslation(CVector(5, 5, 5));
    CVector v(1, 1, 1, 1);
    m4.transform(v);
    EXPECT_TRUE(v.equals(CVector(1, 3, 1, 0)));

    CMatrix m3(3, 3);
    m3.setElement(3u, 4.0f);  // y contributes to x
    m3.setTranslation(CVector(5, 5, 5));  // 3 by 3 has no elements 12-14
    EXPECT_EQ(m3.element(12u), 0.0f);
    CVector w(1, 2, 3, 4);
    m3.transform(w);
    EXPECT_TRUE(w.equals(CVector(9, 2, 0, 0)));

    CVector same(1, 2, 3, 4);
    CMatrix(2, 2).transform(same);
    EXPECT_TRUE(same.equals(CVector(1, 2, 3, 4)));
}

TEST(CMatrix, InverseUndoesTheTransform)
{
    CMatrix m(4, 4);
    CVector::toMatrix([] { CVector q; q.fromEuler(20, 30, 40); return q; }(), m);
    m.setElement(0u, m.element(0u) * 3.0f);
    m.setTranslation(CVector(10, -20, 30));
    expectIdentity(multiply(m, m.inverse()), 1e-5f);

    // A zero on the diagonal needs a row swap (partial pivoting).
    CMatrix swap(4, 4);
    swap.setElement(0u, 0u, 0.0f);
    swap.setElement(1u, 1u, 0.0f);
    swap.setElement(0u, 1u, 2.0f);
    swap.setElement(1u, 0u, 4.0f);
    const CMatrix inverse = swap.inverse();
    EXPECT_FLOAT_EQ(inverse.element(0u, 1u), 0.25f);
    EXPECT_FLOAT_EQ(inverse.element(1u, 0u), 0.5f);
    expectIdentity(multiply(swap, inverse), 1e-6f);
}

TEST(CMatrix, InverseOfSingularOrNon4x4IsIdentity)
{
    CMatrix zeroRow(4, 4);
    for (unsigned c = 0; c < 4; ++c)
        zeroRow.setElement(2u, c, 0.0f);
    expectIdentity(zeroRow.inverse());

    CMatrix zeros(4, 4);
    for (unsigned k = 0; k < 16; ++k)
        zeros.setElement(k, 0.0f);
    expectIdentity(zeros.inverse());

    CMatrix three(3, 3);
    three.setElement(0u, 5.0f);
    expectIdentity(three.inverse());
    expectIdentity(CMatrix(0, 0).inverse());
}

TEST(CMatrix, OrthographicUsesTheEngineSignConvention)
{
    const CMatrix m = CMatrix::orthographic(0, 800, 600, 0, 0, 1000);
    const float expected[16] = {0.0025f, 0, 0, 0, 0, -0.0033333f, 0, 0, 0, 0, -0.002f, 0, 1, -1, 1, 1};
    for (unsigned k = 0; k < 16; ++k)
        EXPECT_NEAR(m.element(k), expected[k], 1e-6f) << "element " << k;

    // With the camera translated by (width, height) and inverted onto the
    // model-view, window pixels map top-left to (-1, 1) and bottom-right to (1, -1).
    CMatrix camera(4, 4);
    camera.setTranslation(CVector(800, 600, 0));
    const CMatrix view = camera.inverse();
    auto clip = [&](float x, float y) {
        const float vx = x + view.element(12u), vy = y + view.element(13u);
        return CVector(vx * m.element(0u) + m.element(12u), vy * m.element(5u) + m.element(13u));
    };
    const CVector topLeft = clip(0, 0), bottomRight = clip(800, 600);
    EXPECT_NEAR(topLeft.x, -1, 1e-5f);
    EXPECT_NEAR(topLeft.y, 1, 1e-5f);
    EXPECT_NEAR(bottomRight.x, 1, 1e-5f);
    EXPECT_NEAR(bottomRight.y, -1, 1e-5f);
}

// CVector: write-through to bound storage, arithmetic, hit tests and the
// quaternion helpers.
#include "core/CMatrix.h"
#include "core/CVector.h"

#include <gtest/gtest.h>

namespace {

void expectNear(const CVector& v, float x, float y, float z, float w)
{
    EXPECT_NEAR(v.x, x, 1e-4f);
    EXPECT_NEAR(v.y, y, 1e-4f);
    EXPECT_NEAR(v.z, z, 1e-4f);
    EXPECT_NEAR(v.w, w, 1e-4f);
}

} // namespace

TEST(CVector, BindingCountDecidesWhatIsWrittenThrough)
{
    float pair[4] = {1, 2, 90, 91};
    CVector two(pair, 2);
    EXPECT_TRUE(two.equals(CVector(1, 2, 0, 0)));
    two.set(5, 6, 7, 8);
    EXPECT_EQ(pair[0], 5);
    EXPECT_EQ(pair[1], 6);
    EXPECT_EQ(pair[2], 90);  // z and w stay private
    EXPECT_EQ(pair[3], 91);
    EXPECT_EQ(two.z, 7);

    float triple[4] = {1, 2, 3, 99};
    CVector three(triple, 3);
    three.add(CVector(1, 1, 1, 1));
    EXPECT_EQ(triple[2], 4);
    EXPECT_EQ(triple[3], 99);

    float quad[4] = {1, 2, 3, 4};
    CVector four(quad, 4);
    four.subtract(CVector(1, 1, 1, 1));
    EXPECT_EQ(quad[3], 3);

    // A copy edits the same storage; reading never consults it.
    CVector copy = four;
    copy.set(9, 9);
    EXPECT_EQ(quad[0], 9);
    EXPECT_EQ(quad[2], 0);
    quad[0] = -1;
    EXPECT_EQ(copy.x, 9);

    // Unbound vectors write nowhere; a null binding is unbound.
    CVector loose(static_cast<float*>(nullptr), 4);
    EXPECT_EQ(loose.bindingCount(), 0);
    loose.set(1, 2, 3, 4);
    loose.normalise();
}

TEST(CVector, WriteThroughFollowsEveryChangingOperation)
{
    float storage[4] = {3, 0, 4, 0};
    CVector v(storage, 4);
    v.normalise();
    EXPECT_FLOAT_EQ(storage[0], 0.6f);
    EXPECT_FLOAT_EQ(storage[2], 0.8f);

    v.set(1, 0, 0, 5);
    v.crossWith(CVector(0, 1, 0, 0));
    EXPECT_TRUE(v.equals(CVector(0, 0, 1, 5)));  // w kept
    EXPECT_EQ(storage[2], 1);
    EXPECT_EQ(storage[3], 5);

    CMatrix rotate(4, 4);
    rotate.setElement(0u, 2.0f);
    rotate.setTranslation(CVector(100, 100, 100));
    v.set(1, 1, 1, 1);
    rotate.transform(v);  // no translation for vectors, w cleared
    EXPECT_EQ(storage[0], 2);
    EXPECT_EQ(storage[1], 1);
    EXPECT_EQ(storage[3], 0);
}

TEST(CVector, ArithmeticOnAllFourComponents)
{
    const CVector a(1, 2, 3, 4), b(5, 6, 7, 8);
    EXPECT_TRUE(CVector::difference(a, b).equals(CVector(-4, -4, -4, -4)));
    EXPECT_TRUE(CVector::product(a, b).equals(CVector(5, 12, 21, 32)));
    EXPECT_TRUE(CVector::cross(CVector(1, 0, 0, 7), CVector(0, 1, 0, 3)).equals(CVector(0, 0, 1, 7)));
    EXPECT_FALSE(a.equals(CVector(1, 2, 3, 5)));

    CVector zero;
    zero.normalise();
    EXPECT_TRUE(zero.equals(CVector(0, 0, 0, 0)));
    CVector all(1, 1, 1, 1);
    all.normalise();  // the length includes w
    expectNear(all, 0.5f, 0.5f, 0.5f, 0.5f);

    const float* gl = a.glArray();
    EXPECT_EQ(gl[0], 1);
    EXPECT_EQ(gl[3], 4);
}

TEST(CVector, RectangleAndSegmentHitTests)
{
    const CVector minimum(10, 20), maximum(30, 40);
    EXPECT_TRUE(CVector(30, 40).inRectangle(minimum, maximum));  // maximum edge included
    EXPECT_TRUE(CVector(10, 20).inRectangle(minimum, maximum));
    EXPECT_FALSE(CVector(30.01f, 30).inRectangle(minimum, maximum));
    EXPECT_FALSE(CVector(20, 19.99f).inRectangle(minimum, maximum));

    const CVector o(0, 0), diagonal(10, 10), up(0, 10), right(10, 0);
    EXPECT_TRUE(CVector::segmentsIntersect(o, diagonal, up, right));
    EXPECT_TRUE(CVector::segmentsIntersect(o, right, right, diagonal));     // touching ends
    EXPECT_FALSE(CVector::segmentsIntersect(o, right, up, diagonal));       // parallel
    EXPECT_FALSE(CVector::segmentsIntersect(o, diagonal, o, diagonal));     // collinear counts as parallel
    EXPECT_FALSE(CVector::segmentsIntersect(o, CVector(4, 4), up, right));  // stops short
}

TEST(CVector, QuaternionHelpers)
{
    CVector q;
    q.fromAxisAngle(0, 0, 1, 90);
    expectNear(q, 0, 0, 0.7071f, 0.7071f);

    // i · j = k; the product is not commutative.
    const CVector i(1, 0, 0, 0), j(0, 1, 0, 0);
    expectNear(CVector::multiply(i, j), 0, 0, 1, 0);
    expectNear(CVector::multiply(j, i), 0, 0, -1, 0);

    CVector euler;
    euler.fromEuler(0, 0, 90);
    expectNear(euler, q.x, q.y, q.z, q.w);
    CVector qx, qy, qz;
    qx.fromAxisAngle(1, 0, 0, 30);
    qy.fromAxisAngle(0, 1, 0, 45);
    qz.fromAxisAngle(0, 0, 1, 60);
    const CVector expected = CVector::multiply(CVector::multiply(qx, qy), qz);
    euler.fromEuler(30, 45, 60);
    expectNear(euler, expected.x, expected.y, expected.z, expected.w);

    CMatrix m(4, 4);
    m.setTranslation(CVector(7, 8, 9));
    CVector::toMatrix(q, m);
    const float rotation[16] = {0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 7, 8, 9, 1};
    for (unsigned k = 0; k < 16; ++k)
        EXPECT_NEAR(m.element(k), rotation[k], 1e-5f) << "element " << k;
}

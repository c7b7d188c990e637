// Shapes without a GL context: arrays, vertex records, normals, copies, quads
// and the material defaults.
#include "render/CMaterial.h"
#include "render/CQuad.h"
#include "render/CShape.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

void expectXyz(const float* v, float x, float y, float z)
{
    EXPECT_NEAR(v[0], x, 1e-5f);
    EXPECT_NEAR(v[1], y, 1e-5f);
    EXPECT_NEAR(v[2], z, 1e-5f);
}

// A shape with the given positions (x, y; z = 0) and, when given, indices.
void fill(CShape& shape, std::uint32_t type, const std::vector<std::pair<float, float>>& corners,
          const std::vector<std::uint16_t>& indices = {})
{
    shape.setPrimitiveType(type);
    ASSERT_TRUE(shape.allocateVertices(std::uint32_t(corners.size())));
    ASSERT_TRUE(shape.allocateIndices(std::uint32_t(indices.size())));
    for (std::uint32_t i = 0; i < corners.size(); ++i)
        shape.vertex(i).position.set(corners[i].first, corners[i].second, 0);
    std::copy(indices.begin(), indices.end(), shape.getIndices());
}

}  // namespace

TEST(CShape, AllocationReplacesArraysAndRefusesOversizedOnes)
{
    CShape shape;
    EXPECT_EQ(shape.getPrimitiveType(), CShape::primitivePoints);
    EXPECT_EQ(shape.getScale().x, 1.0f);
    shape.computeNormals();   // no arrays yet: nothing to do
    shape.draw();             // no renderer: draws nothing

    ASSERT_TRUE(shape.allocateVertices(3));
    shape.vertex(2).position.set(7, 8, 9);
    ASSERT_TRUE(shape.allocateVertices(5));
    EXPECT_EQ(shape.getPositions()[6], 0.0f);   // new arrays
    for (std::uint32_t i = 0; i < 5 * 4; ++i)
        EXPECT_EQ(shape.getColours()[i], 255);

    EXPECT_FALSE(shape.allocateVertices(0x20000000u));   // 12 bytes of positions each
    EXPECT_EQ(shape.getVertexCount(), 0u);
    EXPECT_EQ(shape.getPositions(), nullptr);
    EXPECT_FALSE(shape.allocateIndices(0x40000001u));    // 4 bytes of face normal each
    EXPECT_EQ(shape.getIndexCount(), 0u);
    EXPECT_EQ(shape.getIndices(), nullptr);
}

TEST(CShape, VertexRecordsAreBoundToTheArraysExceptColour)
{
    CShape shape;
    ASSERT_TRUE(shape.allocateVertices(2));
    CVertex v = shape.vertex(1);
    v.position.set(1, 2, 3);
    v.texCoord.set(0.25f, 0.75f);
    v.normal.set(0, 0, 1);
    v.colour.set(1, 2, 3, 4);
    expectXyz(shape.getPositions(), 0, 0, 0);
    expectXyz(shape.getPositions() + 3, 1, 2, 3);
    EXPECT_EQ(shape.getTexCoords()[3], 0.75f);
    expectXyz(shape.getNormals() + 3, 0, 0, 1);
    EXPECT_EQ(shape.getColours()[4], 255);   // colour is a copy
    EXPECT_EQ(shape.vertex(1).colour.w, 255.0f);

    CVertex past = shape.vertex(2);
    EXPECT_EQ(past.position.binding(), nullptr);
    past.position.set(9, 9, 9);   // writes nowhere
    expectXyz(shape.getPositions() + 3, 1, 2, 3);
}

TEST(CShapeNormals, IndexedTrianglesWeighByAreaAndSkipBrokenOnes)
{
    // One triangle: counter-clockwise in this order faces negative z.
    CShape one;
    fill(one, CShape::primitiveTriangles, {{0, 0}, {1, 0}, {0, 1}}, {0, 1, 2});
    one.vertex(0).normal.set(5, 5, 5);   // stale normals are replaced
    one.computeNormals();
    for (std::uint32_t v = 0; v < 3; ++v)
        expectXyz(one.getNormals() + v * 3, 0, 0, -1);
    expectXyz(one.getFaceNormals(), 0, 0, -1);

    // A second, larger triangle in the x = 0 plane shares vertices 0 and 2.
    CShape two;
    fill(two, CShape::primitiveTriangles, {{0, 0}, {1, 0}, {0, 1}, {0, 0}}, {0, 1, 2, 0, 2, 3});
    two.vertex(3).position.set(0, 0, 3);
    two.computeNormals();
    const float length = std::sqrt(10.0f);   // (-3, 0, 0) + (0, 0, -1)
    expectXyz(two.getNormals(), -3 / length, 0, -1 / length);
    expectXyz(two.getNormals() + 3, 0, 0, -1);
    expectXyz(two.getNormals() + 9, -1, 0, 0);
    expectXyz(two.getFaceNormals() + 3, -1, 0, 0);

    // Degenerate and out-of-range triangles add nothing; a spare index is ignored.
    CShape broken;
    fill(broken, CShape::primitiveTriangles, {{0, 0}, {1, 0}, {2, 0}}, {0, 1, 2, 0, 1, 500, 1});
    broken.computeNormals();
    for (std::uint32_t v = 0; v < 3; ++v)
        expectXyz(broken.getNormals() + v * 3, 0, 0, 0);
}

TEST(CShapeNormals, UnindexedListsStripsAndFansAgreeOnAFlatSquare)
{
    const std::pair<std::uint32_t, std::vector<std::pair<float, float>>> cases[] = {
        {CShape::primitiveTriangles, {{0, 0}, {1, 0}, {1, 1}, {0, 0}, {1, 1}, {0, 1}}},
        {CShape::primitiveTriangleStrip, {{0, 0}, {1, 0}, {0, 1}, {1, 1}}},
        {CShape::primitiveTriangleFan, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    };
    for (const auto& [type, corners] : cases) {
        SCOPED_TRACE(type);
        CShape shape;
        fill(shape, type, corners);
        shape.computeNormals();
        for (std::uint32_t i = 0; i < corners.size(); ++i)
            expectXyz(shape.getNormals() + i * 3, 0, 0, -1);
    }
    CShape points;   // points have no faces
    fill(points, CShape::primitivePoints, {{0, 0}, {1, 0}, {0, 1}});
    points.vertex(0).normal.set(1, 0, 0);
    points.computeNormals();
    expectXyz(points.getNormals(), 0, 0, 0);
}

TEST(CShape, CopyFromCopiesEverythingDeeply)
{
    CShape source;
    fill(source, CShape::primitiveTriangles, {{0, 0}, {4, 5}, {0, 1}}, {0, 1, 2});
    source.getColours()[0] = 10;
    source.setVertexColours(true);
    source.setScale(2, 3, 4);
    source.getTransform().setElement(12, 50.0f);
    source.setRotation(0, 0, 90);
    source.getMaterial().textures = {7, 8};

    CShape copy;
    ASSERT_TRUE(copy.allocateVertices(9));
    copy.copyFrom(source);
    source.vertex(1).position.set(0, 0, 0);
    EXPECT_EQ(copy.getPrimitiveType(), CShape::primitiveTriangles);
    EXPECT_EQ(copy.getVertexCount(), 3u);
    expectXyz(copy.getPositions() + 3, 4, 5, 0);
    EXPECT_EQ(copy.getColours()[0], 10);
    EXPECT_EQ(copy.getIndices()[2], 2);
    EXPECT_TRUE(copy.getVertexColours());
    EXPECT_EQ(copy.getScale().z, 4.0f);
    EXPECT_EQ(copy.getRotation().z, 90.0f);
    for (std::uint32_t i = 0; i < 16; ++i)
        EXPECT_NEAR(copy.getTransform().element(i), source.getTransform().element(i), 1e-6f) << i;
    EXPECT_TRUE(copy.getMaterial().equals(source.getMaterial()));
    copy.copyFrom(copy);
    EXPECT_EQ(copy.getVertexCount(), 3u);
}

TEST(CShape, SetRotationKeepsTheTranslation)
{
    CShape shape;
    shape.getTransform().setElement(12, 3.0f);
    shape.setRotation(0, 0, 90);
    const CMatrix& m = shape.getTransform();
    EXPECT_EQ(m.element(12), 3.0f);
    EXPECT_NEAR(m.element(0), 0.0f, 1e-5f);   // a quarter turn about z swaps x and y
    EXPECT_NEAR(std::fabs(m.element(1)), 1.0f, 1e-5f);
    EXPECT_NEAR(m.element(10), 1.0f, 1e-5f);
}

TEST(CQuad, TakesPositionsTexCoordsAndNormalsButNotColours)
{
    CVertex corners[4];
    for (int i = 0; i < 4; ++i) {
        corners[i].position.set(float(i), 2, 1);
        corners[i].texCoord.set(float(i) / 4, 1);
        corners[i].normal.set(0, 0, 1);
        corners[i].colour.set(0, 0, 0, 0);
    }
    CQuad quad(corners[0], corners[1], corners[2], corners[3]);
    EXPECT_EQ(quad.getPrimitiveType(), CShape::primitiveQuads);
    EXPECT_EQ(quad.getIndexCount(), 0u);
    expectXyz(quad.getPositions() + 9, 3, 2, 1);
    EXPECT_EQ(quad.getTexCoords()[6], 0.75f);
    expectXyz(quad.getNormals() + 6, 0, 0, 1);
    for (std::uint32_t i = 0; i < 16; ++i)
        EXPECT_EQ(quad.getColours()[i], 255);
}

TEST(CMaterial, DefaultsAndComparison)
{
    const CMaterial material;
    EXPECT_EQ(material.ambient.x, 0.2f);
    EXPECT_EQ(material.ambient.w, 0.0f);
    EXPECT_EQ(material.diffuse.x, 0.8f);
    EXPECT_EQ(material.diffuse.w, 1.0f);
    EXPECT_EQ(material.emission.w, 0.0f);
    EXPECT_FALSE(material.additive);
    EXPECT_EQ(material.textureMatrix.element(15), 1.0f);

    CMaterial other;
    EXPECT_TRUE(material.equals(other));
    other.extra2 = 1.0f;
    EXPECT_FALSE(material.equals(other));
    other = CMaterial();
    other.textureMatrix.setElement(13, 0.5f);
    EXPECT_FALSE(material.equals(other));
}

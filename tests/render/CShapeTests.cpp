// Shapes without a GL context: arrays, vertex records, normals, copies, quads,
// and the material and light defaults.
#include "render/CLight.h"
#include "render/CMaterial.h"
#include "render/CQuad.h"
#include "render/CShape.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void expectVector(const CVector& v, float x, float y, float z, float w = 0.0f)
{
    EXPECT_NEAR(v.x, x, 1e-5f);
    EXPECT_NEAR(v.y, y, 1e-5f);
    EXPECT_NEAR(v.z, z, 1e-5f);
    EXPECT_NEAR(v.w, w, 1e-5f);
}

void setPosition(CShape& shape, std::uint32_t index, float x, float y, float z)
{
    shape.vertex(index).position.set(x, y, z);
}

void expectNormal(const CShape& shape, std::uint32_t index, float x, float y, float z)
{
    const float* n = shape.getNormals() + index * 3;
    EXPECT_NEAR(n[0], x, 1e-5f) << "vertex " << index;
    EXPECT_NEAR(n[1], y, 1e-5f) << "vertex " << index;
    EXPECT_NEAR(n[2], z, 1e-5f) << "vertex " << index;
}

}  // namespace

TEST(CShape, StartsEmptyAsPointsWithUnitScaleAndIdentityTransform)
{
    CShape shape;
    EXPECT_EQ(shape.getPrimitiveType(), CShape::primitivePoints);
    EXPECT_EQ(shape.getVertexCount(), 0u);
    EXPECT_EQ(shape.getIndexCount(), 0u);
    EXPECT_EQ(shape.getPositions(), nullptr);
    EXPECT_FALSE(shape.getVertexColours());
    expectVector(shape.getScale(), 1, 1, 1);
    expectVector(shape.getRotation(), 0, 0, 0);
    for (std::uint32_t i = 0; i < 16; ++i)
        EXPECT_EQ(shape.getTransform().element(i), i % 5 == 0 ? 1.0f : 0.0f);
    shape.computeNormals();   // nothing to do, must not touch null arrays
    shape.draw();             // no renderer: draws nothing
}

TEST(CShape, AllocationReplacesArraysAndFillsColoursWhite)
{
    CShape shape;
    ASSERT_TRUE(shape.allocateVertices(3));
    setPosition(shape, 2, 7, 8, 9);
    ASSERT_TRUE(shape.allocateVertices(5));
    EXPECT_EQ(shape.getVertexCount(), 5u);
    for (std::uint32_t i = 0; i < 5 * 4; ++i)
        EXPECT_EQ(shape.getColours()[i], 255);
    EXPECT_EQ(shape.getPositions()[6], 0.0f);   // new arrays, old contents gone

    ASSERT_TRUE(shape.allocateIndices(6));
    EXPECT_EQ(shape.getIndexCount(), 6u);
    EXPECT_NE(shape.getFaceNormals(), nullptr);

    EXPECT_TRUE(shape.allocateVertices(0));
    EXPECT_TRUE(shape.allocateIndices(0));
    EXPECT_EQ(shape.getPositions(), nullptr);
    EXPECT_EQ(shape.getColours(), nullptr);
    EXPECT_EQ(shape.getIndices(), nullptr);
    EXPECT_EQ(shape.getFaceNormals(), nullptr);
}

TEST(CShape, RefusesArraysWhoseByteSizeExceeds32Bits)
{
    CShape shape;
    ASSERT_TRUE(shape.allocateVertices(2));
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

    const float* p = shape.getPositions();
    EXPECT_EQ(p[3], 1.0f);
    EXPECT_EQ(p[4], 2.0f);
    EXPECT_EQ(p[5], 3.0f);
    EXPECT_EQ(p[0], 0.0f);   // vertex 0 untouched
    EXPECT_EQ(shape.getTexCoords()[2], 0.25f);
    EXPECT_EQ(shape.getTexCoords()[3], 0.75f);
    EXPECT_EQ(shape.getNormals()[5], 1.0f);
    EXPECT_EQ(shape.getColours()[4], 255);   // colour is a copy

    const CVertex again = shape.vertex(1);
    expectVector(again.position, 1, 2, 3);
    expectVector(again.texCoord, 0.25f, 0.75f, 0);
    expectVector(again.colour, 255, 255, 255, 255);

    CVertex past = shape.vertex(2);
    expectVector(past.position, 0, 0, 0);
    EXPECT_EQ(past.position.binding(), nullptr);
    past.position.set(9, 9, 9);   // writes nowhere
    EXPECT_EQ(p[3], 1.0f);
}

TEST(CShapeNormals, IndexedTriangleFacesNegativeZ)
{
    CShape shape;
    shape.setPrimitiveType(CShape::primitiveTriangles);
    ASSERT_TRUE(shape.allocateVertices(3));
    ASSERT_TRUE(shape.allocateIndices(3));
    setPosition(shape, 1, 1, 0, 0);
    setPosition(shape, 2, 0, 1, 0);
    for (std::uint16_t i = 0; i < 3; ++i)
        shape.getIndices()[i] = i;
    shape.vertex(0).normal.set(5, 5, 5);   // stale normals are replaced

    shape.computeNormals();
    for (std::uint32_t v = 0; v < 3; ++v)
        expectNormal(shape, v, 0, 0, -1);
    const float* face = shape.getFaceNormals();
    EXPECT_NEAR(face[0], 0.0f, 1e-6f);
    EXPECT_NEAR(face[1], 0.0f, 1e-6f);
    EXPECT_NEAR(face[2], -1.0f, 1e-6f);
}

TEST(CShapeNormals, SharedVerticesWeighLargerTrianglesMore)
{
    // Two triangles meet at the edge (0,0,0)-(0,1,0): a small one in the
    // z = 0 plane (normal -z) and a larger one in the x = 0 plane.
    CShape shape;
    shape.setPrimitiveType(CShape::primitiveTriangles);
    ASSERT_TRUE(shape.allocateVertices(4));
    ASSERT_TRUE(shape.allocateIndices(6));
    setPosition(shape, 1, 1, 0, 0);
    setPosition(shape, 2, 0, 1, 0);
    setPosition(shape, 3, 0, 0, 3);
    const std::uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    std::copy(indices, indices + 6, shape.getIndices());
    shape.computeNormals();

    // Face 2: (p2 - p0) x (p0 - p3) = (0,1,0) x (0,0,-3) = (-3, 0, 0).
    const float* face = shape.getFaceNormals();
    EXPECT_NEAR(face[3], -1.0f, 1e-6f);
    const float length = std::sqrt(9.0f + 1.0f);
    expectNormal(shape, 0, -3 / length, 0, -1 / length);
    expectNormal(shape, 2, -3 / length, 0, -1 / length);
    expectNormal(shape, 1, 0, 0, -1);
    expectNormal(shape, 3, -1, 0, 0);
}

TEST(CShapeNormals, BrokenIndicesAndDegenerateTrianglesGiveZeroNormals)
{
    CShape shape;
    shape.setPrimitiveType(CShape::primitiveTriangles);
    ASSERT_TRUE(shape.allocateVertices(3));
    ASSERT_TRUE(shape.allocateIndices(7));   // two groups and one index left over
    setPosition(shape, 1, 1, 0, 0);
    setPosition(shape, 2, 2, 0, 0);          // all on one line
    const std::uint16_t indices[7] = {0, 1, 2, 0, 1, 500, 1};
    std::copy(indices, indices + 7, shape.getIndices());
    shape.computeNormals();
    for (std::uint32_t v = 0; v < 3; ++v)
        expectNormal(shape, v, 0, 0, 0);
    for (std::uint32_t i = 0; i < 6; ++i)
        EXPECT_EQ(shape.getFaceNormals()[i], 0.0f);
}

TEST(CShapeNormals, UnindexedListsStripsAndFansAgreeOnAFlatSquare)
{
    // The same flat square, counter-clockwise seen from +z, as a triangle
    // list, a strip and a fan: every vertex faces -z.
    struct Case {
        std::uint32_t type;
        std::vector<std::pair<float, float>> corners;
    };
    const Case cases[] = {
        {CShape::primitiveTriangles, {{0, 0}, {1, 0}, {1, 1}, {0, 0}, {1, 1}, {0, 1}}},
        {CShape::primitiveTriangleStrip, {{0, 0}, {1, 0}, {0, 1}, {1, 1}}},
        {CShape::primitiveTriangleFan, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        CShape shape;
        shape.setPrimitiveType(c.type);
        ASSERT_TRUE(shape.allocateVertices(static_cast<std::uint32_t>(c.corners.size())));
        for (std::uint32_t i = 0; i < c.corners.size(); ++i)
            setPosition(shape, i, c.corners[i].first, c.corners[i].second, 0);
        shape.computeNormals();
        for (std::uint32_t i = 0; i < c.corners.size(); ++i)
            expectNormal(shape, i, 0, 0, -1);
    }

    CShape points;   // points have no faces
    ASSERT_TRUE(points.allocateVertices(3));
    points.vertex(0).normal.set(1, 0, 0);
    points.computeNormals();
    expectNormal(points, 0, 0, 0, 0);
}

TEST(CShape, CopyFromCopiesEverythingDeeply)
{
    CShape source;
    source.setPrimitiveType(CShape::primitiveTriangles);
    ASSERT_TRUE(source.allocateVertices(3));
    ASSERT_TRUE(source.allocateIndices(3));
    setPosition(source, 1, 4, 5, 6);
    source.getColours()[0] = 10;
    source.getIndices()[2] = 2;
    source.setVertexColours(true);
    source.setScale(2, 3, 4);
    source.getTransform().setElement(12, 50.0f);
    source.setRotation(0, 0, 90);
    source.getMaterial().additive = true;
    source.getMaterial().textures = {7, 8};

    CShape copy;
    ASSERT_TRUE(copy.allocateVertices(9));
    copy.copyFrom(source);
    EXPECT_EQ(copy.getPrimitiveType(), CShape::primitiveTriangles);
    EXPECT_EQ(copy.getVertexCount(), 3u);
    EXPECT_EQ(copy.getIndexCount(), 3u);
    EXPECT_NE(copy.getPositions(), source.getPositions());
    EXPECT_EQ(copy.getPositions()[4], 5.0f);
    EXPECT_EQ(copy.getColours()[0], 10);
    EXPECT_EQ(copy.getIndices()[2], 2);
    EXPECT_TRUE(copy.getVertexColours());
    expectVector(copy.getScale(), 2, 3, 4);
    expectVector(copy.getRotation(), 0, 0, 90);
    for (std::uint32_t i = 0; i < 16; ++i)
        EXPECT_NEAR(copy.getTransform().element(i), source.getTransform().element(i), 1e-6f) << i;
    EXPECT_TRUE(copy.getMaterial().equals(source.getMaterial()));

    source.vertex(1).position.set(0, 0, 0);
    EXPECT_EQ(copy.getPositions()[4], 5.0f);
    copy.copyFrom(copy);   // copying onto itself keeps it
    EXPECT_EQ(copy.getVertexCount(), 3u);
}

TEST(CShape, SetRotationKeepsTranslationAndWritesUpperLeft)
{
    CShape shape;
    shape.getTransform().setElement(12, 3.0f);
    shape.getTransform().setElement(13, 4.0f);
    shape.setRotation(0, 0, 90);
    const CMatrix& m = shape.getTransform();
    EXPECT_EQ(m.element(12), 3.0f);
    EXPECT_EQ(m.element(13), 4.0f);
    EXPECT_EQ(m.element(15), 1.0f);
    // A quarter turn about z: the x and y axes swap (with one sign flipped).
    EXPECT_NEAR(m.element(0), 0.0f, 1e-5f);
    EXPECT_NEAR(std::fabs(m.element(1)), 1.0f, 1e-5f);
    EXPECT_NEAR(m.element(1), -m.element(4), 1e-5f);
    EXPECT_NEAR(m.element(10), 1.0f, 1e-5f);
    shape.setRotation(0, 0, 0);
    EXPECT_NEAR(m.element(0), 1.0f, 1e-6f);
    EXPECT_NEAR(m.element(1), 0.0f, 1e-6f);
}

TEST(CQuad, TakesPositionsTexCoordsAndNormalsButNotColours)
{
    CVertex corners[4];
    for (int i = 0; i < 4; ++i) {
        corners[i].position.set(float(i), float(i * 2), 1);
        corners[i].texCoord.set(float(i) / 4, 1);
        corners[i].normal.set(0, 0, 1);
        corners[i].colour.set(0, 0, 0, 0);
    }
    CQuad quad(corners[0], corners[1], corners[2], corners[3]);
    EXPECT_EQ(quad.getPrimitiveType(), CShape::primitiveQuads);
    EXPECT_EQ(quad.getVertexCount(), 4u);
    EXPECT_EQ(quad.getIndexCount(), 0u);
    for (std::uint32_t i = 0; i < 4; ++i) {
        const CVertex v = quad.vertex(i);
        expectVector(v.position, float(i), float(i * 2), 1);
        expectVector(v.texCoord, float(i) / 4, 1, 0);
        expectVector(v.normal, 0, 0, 1);
        expectVector(v.colour, 255, 255, 255, 255);
    }
}

TEST(CMaterial, DefaultsAndComparison)
{
    const CMaterial material;
    expectVector(material.ambient, 0.2f, 0.2f, 0.2f, 0.0f);
    expectVector(material.diffuse, 0.8f, 0.8f, 0.8f, 1.0f);
    expectVector(material.emission, 0, 0, 0, 0);
    expectVector(material.specular, 0, 0, 0, 0);
    EXPECT_EQ(material.shininess, 0.0f);
    EXPECT_FALSE(material.additive);
    EXPECT_TRUE(material.textures.empty());
    for (std::uint32_t i = 0; i < 16; ++i)
        EXPECT_EQ(material.textureMatrix.element(i), i % 5 == 0 ? 1.0f : 0.0f);

    CMaterial other;
    EXPECT_TRUE(material.equals(other));
    other.extra2 = 1.0f;
    EXPECT_FALSE(material.equals(other));
    other = CMaterial();
    other.textureMatrix.setElement(13, 0.5f);
    EXPECT_FALSE(material.equals(other));
    other = CMaterial();
    other.textures.push_back(3);
    EXPECT_FALSE(material.equals(other));
}

TEST(CLight, Defaults)
{
    const CLight light;
    EXPECT_TRUE(light.enabled);
    EXPECT_TRUE(light.noSpot);
    expectVector(light.attenuation, 1, 0, 0);
    EXPECT_EQ(light.spotCutOff, 45.0f);
    EXPECT_EQ(light.spotExponent, 1.0f);
    expectVector(light.colours.diffuse, 0.8f, 0.8f, 0.8f, 1.0f);
}

// OBJ reading: entry forms, quads, material colours, the spare triangle,
// bounds, and the files that must be refused or mended.
#include "ModelFileWriters.h"
#include "ResourceTestFiles.h"
#include "resources/CModel.h"
#include "resources/ObjReader.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// Reads OBJ text with the libraries given by name.
ModelMesh readText(const std::string& text, const std::map<std::string, std::string>& libraries = {})
{
    ModelMesh mesh;
    const MaterialLibraryLoader loader = [&](const std::string& name, std::vector<std::uint8_t>& bytes) {
        const auto found = libraries.find(name);
        if (found == libraries.end())
            return false;
        bytes.assign(found->second.begin(), found->second.end());
        return true;
    };
    EXPECT_TRUE(readObj(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), loader, mesh, nullptr));
    return mesh;
}

const char* square = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 2 2 2\n";

}  // namespace

TEST(ObjReader, EntryFormsQuadsAndTheSpareTriangle)
{
    const ModelMesh mesh = readText(std::string(square) + "f 1 2 3 4\nf 5//7 1/1 2/2/2\n");
    EXPECT_EQ(mesh.indices, (std::vector<std::uint32_t>{0, 1, 2, 2, 3, 0, 4, 0, 1, 0, 0, 0}));
    EXPECT_FALSE(mesh.vertexColours);
}

TEST(ObjReader, TextureCoordinatesFollowVerticesByOrderAndExtrasAreSkipped)
{
    const ModelMesh mesh = readText("v 0 0 0\nv 1 0 0\nvt 0.25 0.5\nvt 0.75 1\nvt 9 9\n");
    EXPECT_EQ(mesh.texCoords, (std::vector<float>{0.25f, 0.5f, 0.75f, 1.0f}));
}

TEST(ObjReader, FacesTakeTheirMaterialsDiffuseColour)
{
    const std::string mtl = "newmtl red\nKd 1 0 0\nnewmtl half\nKa 1 1 1\nKd 0.5 0.25 2\nNs 4\n";
    const ModelMesh mesh =
        readText(std::string("mtllib  lib one.mtl \n") + square + "usemtl red\nf 1 2 3\nusemtl half\nf 3 4 5\n",
                 {{"lib one.mtl", mtl}});
    ASSERT_TRUE(mesh.vertexColours);
    const std::vector<std::uint8_t> expected = {255, 0,  0,   255, 255, 0,  0,   255, 127, 63,
                                                255, 255, 127, 63,  255, 255, 127, 63,  255, 255};
    EXPECT_EQ(mesh.colours, expected); // Kd above 1 is clamped, not wrapped
}

TEST(ObjReader, UnknownLibraryOrMaterialLeavesWhiteVertices)
{
    const ModelMesh missing = readText(std::string("mtllib none.mtl\n") + square + "usemtl red\nf 1 2 3\n");
    EXPECT_FALSE(missing.vertexColours);
    const ModelMesh unknown =
        readText(std::string("mtllib a.mtl\n") + square + "usemtl blue\nf 1 2 3\n", {{"a.mtl", "newmtl red\nKd 1 0 0\n"}});
    EXPECT_TRUE(unknown.vertexColours);
    EXPECT_EQ(unknown.colours[0], 255);
    EXPECT_EQ(unknown.colours[1], 255);
}

TEST(ObjReader, FacesNamingMissingVerticesAreSkipped)
{
    // 0, past the end, huge numbers and words are skipped with their whole
    // face; negative numbers count back from the last vertex; the last
    // line's fifth entry is beyond the four a face may have and is ignored.
    const ModelMesh mesh = readText(std::string(square) + "f 0 1 2\nf 1 2 6\nf -1 -2 -3\nf 1 2 99999999999\n"
                                                          "f 1 2\nf 1 x 2 3\nf 1 2 3 4 9\n");
    EXPECT_EQ(mesh.indices, (std::vector<std::uint32_t>{4, 3, 2, 0, 1, 2, 2, 3, 0, 0, 0, 0}));
}

TEST(ObjReader, PositiveEntriesCountInTheFileNegativeOnesBackFromTheVerticesReadSoFar)
{
    const struct {
        const char* text;
        std::vector<std::uint32_t> indices;
    } cases[] = {
        {"v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3 -1\n", {0, 1, 2, 2, 3, 0, 0, 0, 0}},
        {"v 0 0 0\nv 1 0 0\nv 1 1 0\nf -3 -2 -1\nv 0 1 0\nf -3 -2 -1\n", {0, 1, 2, 1, 2, 3, 0, 0, 0}},
        {"v 0 0 0\nv 1 0 0\nv 1 1 0\nf 1 0 2 3\nf -4 1 2\nf -1/1/1 -2//2 -3/3\n", {2, 1, 0, 0, 0, 0}},
        {"v 0 0 0\nf -1 -1 -1\nv 1 0 0\nv 1 1 0\nf 2 3 4\n", {0, 0, 0, 0, 0, 0}},
        // Positive entries name vertices of the whole file, even those after the face.
        {"f 1 2 3\nv 0 0 0\nv 1 0 0\nv 1 1 0\n", {0, 1, 2, 0, 0, 0}},
        {"v 0 0 0\nf 3 2 -1\nf 3 2 -2\nv 1 0 0\nv 1 1 0\n", {2, 1, 0, 0, 0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readText(c.text).indices, c.indices) << c.text;
}

TEST(ObjReader, MoreVerticesThanSixteenBitIndicesReachAreRefused)
{
    std::string text;
    for (int i = 0; i < 65537; ++i)
        text += "v 1 2 3\n";
    ModelMesh mesh;
    std::string error;
    EXPECT_FALSE(readObj(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), nullptr, mesh, &error));
    EXPECT_NE(error.find("65537 vertices"), std::string::npos) << error;
    text.resize(text.size() - 8);
    EXPECT_TRUE(readObj(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), nullptr, mesh, &error));
}

TEST(ObjReader, FileFindsItsLibraryBesideItAndSetsBounds)
{
    ScratchFolder folder;
    writeTextFile(folder.file("box.mtl"), "newmtl green\nKd 0 1 0\n");
    writeTextFile(folder.file("box.obj"),
                  "mtllib box.mtl\nv -1 5 0\nv 4 -2 6\r\nv 0 0 -3\nusemtl green\nf 1 2 3\n# comment\n");
    CModel model;
    ASSERT_TRUE(loadObjFile(folder.file("box.obj").c_str(), model, nullptr));
    const CShape& shape = model.getShape();
    EXPECT_EQ(shape.getVertexCount(), 3u);
    EXPECT_EQ(shape.getIndexCount(), 6u);
    EXPECT_EQ(shape.getPrimitiveType(), CShape::primitiveTriangles);
    EXPECT_TRUE(shape.getVertexColours());
    EXPECT_EQ(shape.getColours()[1], 255);
    EXPECT_EQ(shape.getColours()[0], 0);
    EXPECT_EQ(model.getBoundsMin(), CVector(-1, -2, -3, 0));
    EXPECT_EQ(model.getBoundsMax(), CVector(4, 5, 6, 0));
}

TEST(ObjReader, UnreadableFileGivesAnEmptyModelWithStartBounds)
{
    CModel model;
    std::string error;
    EXPECT_FALSE(loadObjFile("/nonexistent/model.obj", model, &error));
    EXPECT_EQ(model.getShape().getVertexCount(), 0u);
    EXPECT_EQ(model.getBoundsMin(), CVector(1000000, 1000000, 1000000, 0));
    EXPECT_EQ(model.getBoundsMax(), CVector(-1000000, -1000000, -1000000, 0));
}

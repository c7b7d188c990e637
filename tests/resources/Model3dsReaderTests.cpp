// 3DS reading: objects joined into one mesh, material groups, and chunk
// lengths and counts that do not fit what holds them.
#include "ModelFileWriters.h"
#include "ResourceTestFiles.h"
#include "resources/CModel.h"
#include "resources/Model3dsReader.h"

#include <gtest/gtest.h>

namespace {

Chunk3ds triangleObject(const std::string& name, float offset, const std::string& material)
{
    Chunk3ds vertices(0x4110);
    vertices.u16(3).f32(offset).f32(0).f32(0).f32(offset + 1).f32(0).f32(0).f32(offset).f32(1).f32(0);
    Chunk3ds faces(0x4120);
    faces.u16(1).u16(0).u16(1).u16(2).u16(0);
    if (!material.empty())
        faces.child(Chunk3ds(0x4130).text(material).u16(1).u16(0));
    Chunk3ds uvs(0x4140);
    uvs.u16(3).f32(0.5f).f32(0.25f).f32(1).f32(0).f32(0).f32(1);
    return Chunk3ds(0x4000).text(name).child(Chunk3ds(0x4100).child(vertices).child(faces).child(uvs));
}

Chunk3ds materialBlock(const std::string& name, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return Chunk3ds(0xAFFF)
        .child(Chunk3ds(0xA000).text(name))
        .child(Chunk3ds(0xA010).child(Chunk3ds(0x0011).u8(9).u8(9).u8(9)))   // ambient: not read
        .child(Chunk3ds(0xA020).child(Chunk3ds(0x0011).u8(r).u8(g).u8(b)));
}

std::vector<std::uint8_t> fileOf(const Chunk3ds& editor)
{
    return Chunk3ds(0x4D4D).child(Chunk3ds(0x0002).u32(3)).child(editor).bytes();
}

ModelMesh read(const std::vector<std::uint8_t>& bytes)
{
    ModelMesh mesh;
    EXPECT_TRUE(read3ds(bytes.data(), bytes.size(), mesh, nullptr));
    return mesh;
}

}  // namespace

TEST(Model3dsReader, ObjectsJoinOneMeshWithTheirGroupsColours)
{
    Chunk3ds editor(0x3D3D);
    editor.child(materialBlock("red", 200, 10, 20))
        .child(Chunk3ds(0xAFFF).child(Chunk3ds(0xA000).text("blue")).child(
            Chunk3ds(0xA020).child(Chunk3ds(0x0010).f32(0).f32(0).f32(1))))
        .child(triangleObject("a", 0, "red"))
        .child(triangleObject("b", 10, "blue"))
        .child(triangleObject("c", 20, "unknown"));
    const ModelMesh mesh = read(fileOf(editor));
    ASSERT_EQ(mesh.vertexCount(), 9u);
    EXPECT_EQ(mesh.indices, (std::vector<std::uint32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_TRUE(mesh.vertexColours);
    EXPECT_EQ(std::vector<std::uint8_t>(mesh.colours.begin(), mesh.colours.begin() + 4),
              (std::vector<std::uint8_t>{200, 10, 20, 255}));
    EXPECT_EQ(std::vector<std::uint8_t>(mesh.colours.begin() + 12, mesh.colours.begin() + 16),
              (std::vector<std::uint8_t>{0, 0, 255, 255}));
    EXPECT_EQ(mesh.colours[6 * 4 + 1], 255); // an unknown material leaves white
    EXPECT_FLOAT_EQ(mesh.positions[3 * 3], 10.0f);
    EXPECT_FLOAT_EQ(mesh.texCoords[0], 0.5f);
    EXPECT_FLOAT_EQ(mesh.texCoords[1], 0.25f);
}

TEST(Model3dsReader, FileWithoutTheMainChunkIdGivesAnEmptyModel)
{
    ScratchFolder folder;
    std::vector<std::uint8_t> bytes = fileOf(Chunk3ds(0x3D3D).child(triangleObject("a", 0, "")));
    bytes[0] = 0x4C;
    writeBinaryFile(folder.file("bad.3ds"), bytes);
    CModel model;
    std::string error;
    EXPECT_FALSE(load3dsFile(folder.file("bad.3ds").c_str(), model, &error));
    EXPECT_EQ(error, "3DS: not a 3DS file");
    EXPECT_EQ(model.getShape().getVertexCount(), 0u);
}

TEST(Model3dsReader, ListsLongerThanTheirChunksAreCutAndBadFacesSkipped)
{
    Chunk3ds vertices(0x4110);
    vertices.u16(60000).f32(0).f32(0).f32(0).f32(1).f32(0).f32(0).f32(0).f32(1).f32(0).f32(5);
    Chunk3ds faces(0x4120);
    faces.u16(2).u16(0).u16(1).u16(2).u16(0).u16(0).u16(1).u16(3).u16(0);
    faces.child(Chunk3ds(0x4130).text("m").u16(900).u16(1).u16(0).u16(7));
    const Chunk3ds object =
        Chunk3ds(0x4000).text("o").child(Chunk3ds(0x4100).child(vertices).child(faces).child(Chunk3ds(0x4140).u16(9)));
    const ModelMesh mesh = read(fileOf(Chunk3ds(0x3D3D).child(materialBlock("m", 1, 2, 3)).child(object)));
    EXPECT_EQ(mesh.vertexCount(), 3u);   // three whole vertices in the chunk
    EXPECT_EQ(mesh.indices, (std::vector<std::uint32_t>{0, 1, 2})); // the face naming vertex 3 is skipped
    EXPECT_EQ(mesh.colours[0], 1);
}

TEST(Model3dsReader, ChunksOverrunningTheirParentAreCutAtItsEnd)
{
    std::vector<std::uint8_t> bytes =
        fileOf(Chunk3ds(0x3D3D).child(triangleObject("a", 0, "")).child(triangleObject("b", 5, "")));
    // The second object's length now reaches past the editor and the file.
    const std::size_t second = bytes.size() - triangleObject("b", 5, "").bytes().size();
    bytes[second + 5] = 0x7F;
    EXPECT_EQ(read(bytes).vertexCount(), 6u);
    // A file cut inside the second object's vertex list keeps the first.
    bytes.resize(second + 20 + 2 + 12 + 5);
    const ModelMesh cut = read(bytes);
    EXPECT_EQ(cut.vertexCount(), 4u);
    EXPECT_EQ(cut.indices.size(), 3u);
}

TEST(Model3dsReader, MoreVerticesThanSixteenBitIndicesReachAreRefused)
{
    Chunk3ds editor(0x3D3D);
    for (int o = 0; o < 2; ++o) {
        Chunk3ds vertices(0x4110);
        vertices.u16(40000);
        for (int v = 0; v < 40000 * 3; ++v)
            vertices.f32(float(v));
        editor.child(Chunk3ds(0x4000).text("o").child(Chunk3ds(0x4100).child(vertices)));
    }
    ScratchFolder folder;
    writeBinaryFile(folder.file("big.3ds"), fileOf(editor));
    CModel model;
    std::string error;
    EXPECT_FALSE(load3dsFile(folder.file("big.3ds").c_str(), model, &error));
    EXPECT_NE(error.find("80000 vertices"), std::string::npos) << error;
    EXPECT_EQ(model.getShape().getVertexCount(), 0u);
}

TEST(Model3dsReader, FaceMaterialBesideTheFaceListColoursItsFaces)
{
    // Some writers put the face-material chunk in the mesh after the face
    // list; a second material of the same name does not replace the first.
    Chunk3ds vertices(0x4110);
    vertices.u16(3).f32(0).f32(0).f32(0).f32(1).f32(0).f32(0).f32(0).f32(1).f32(0);
    Chunk3ds faces(0x4120);
    faces.u16(1).u16(0).u16(1).u16(2).u16(0);
    Chunk3ds mesh3ds(0x4100);
    mesh3ds.child(vertices).child(faces).child(Chunk3ds(0x4130).text("green").u16(1).u16(0));
    Chunk3ds editor(0x3D3D);
    editor.child(materialBlock("green", 5, 250, 6))
        .child(materialBlock("green", 1, 1, 1))
        .child(Chunk3ds(0x4000).text("o").child(mesh3ds));
    const ModelMesh mesh = read(fileOf(editor));
    ASSERT_EQ(mesh.vertexCount(), 3u);
    EXPECT_EQ(std::vector<std::uint8_t>(mesh.colours.begin(), mesh.colours.begin() + 4),
              (std::vector<std::uint8_t>{5, 250, 6, 255}));
}

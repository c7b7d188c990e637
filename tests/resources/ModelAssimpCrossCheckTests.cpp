// Our OBJ and 3DS readers against assimp's reading of the same generated
// files: vertex positions, triangles and bounds agree. Differences that the
// engine's model format prescribes are allowed for by name:
// - the OBJ reader adds a spare triangle (0, 0, 0) after the last one;
// - assimp splits meshes by material and object and repeats shared vertices
//   in each, so vertices are compared as the set of distinct positions;
// - every 3DS object goes into the engine's one shape (assimp: one mesh
//   per object and material);
// - assimp's root node turns 3DS's z-up axes into y-up; the engine keeps the
//   file's axes, so the root node's own transform is left out.
#include "ModelFileWriters.h"
#include "ResourceTestFiles.h"
#include "resources/CModel.h"
#include "resources/Model3dsReader.h"
#include "resources/ObjReader.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <array>
#include <set>

namespace {

struct MeshSummary {
    std::set<std::array<float, 3>> positions;
    std::size_t triangles = 0;
    std::array<float, 3> min{1e30f, 1e30f, 1e30f};
    std::array<float, 3> max{-1e30f, -1e30f, -1e30f};

    void add(float x, float y, float z)
    {
        positions.insert({x, y, z});
        const float p[3] = {x, y, z};
        for (int i = 0; i < 3; ++i) {
            min[i] = std::min(min[i], p[i]);
            max[i] = std::max(max[i], p[i]);
        }
    }
};

// Vertices referenced by assimp's triangles, in node space with the node
// transforms applied (assimp's 3DS reader moves objects into nodes).
void addNode(const aiScene& scene, const aiNode& node, const aiMatrix4x4& parent, MeshSummary& summary)
{
    const aiMatrix4x4 transform = parent * node.mTransformation;
    for (unsigned m = 0; m < node.mNumMeshes; ++m) {
        const aiMesh& mesh = *scene.mMeshes[node.mMeshes[m]];
        for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
            if (mesh.mFaces[f].mNumIndices != 3)
                continue;
            ++summary.triangles;
            for (unsigned c = 0; c < 3; ++c) {
                const aiVector3D p = transform * mesh.mVertices[mesh.mFaces[f].mIndices[c]];
                summary.add(p.x, p.y, p.z);
            }
        }
    }
    for (unsigned c = 0; c < node.mNumChildren; ++c)
        addNode(scene, *node.mChildren[c], transform, summary);
}

MeshSummary assimpSummary(const std::string& path)
{
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, aiProcess_Triangulate);
    MeshSummary summary;
    EXPECT_NE(scene, nullptr) << importer.GetErrorString();
    if (!scene)
        return summary;
    for (unsigned c = 0; c < scene->mRootNode->mNumChildren; ++c)
        addNode(*scene, *scene->mRootNode->mChildren[c], aiMatrix4x4(), summary);
    if (scene->mRootNode->mNumMeshes != 0) {
        aiNode rootMeshesOnly;
        rootMeshesOnly.mNumMeshes = scene->mRootNode->mNumMeshes;
        rootMeshesOnly.mMeshes = scene->mRootNode->mMeshes;
        addNode(*scene, rootMeshesOnly, aiMatrix4x4(), summary);
        rootMeshesOnly.mMeshes = nullptr;
        rootMeshesOnly.mNumMeshes = 0;
    }
    return summary;
}

MeshSummary ourSummary(const CModel& model, std::size_t spareTriangles)
{
    const CShape& shape = model.getShape();
    MeshSummary summary;
    const std::uint32_t count = shape.getIndexCount() - 3 * std::uint32_t(spareTriangles);
    for (std::uint32_t i = 0; i < count; ++i) {
        const float* p = shape.getPositions() + shape.getIndices()[i] * 3;
        summary.add(p[0], p[1], p[2]);
    }
    summary.triangles = count / 3;
    return summary;
}

void expectSame(const MeshSummary& ours, const MeshSummary& theirs, const CModel& model)
{
    EXPECT_EQ(ours.triangles, theirs.triangles);
    EXPECT_EQ(ours.positions.size(), theirs.positions.size());
    EXPECT_TRUE(ours.positions == theirs.positions);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(ours.min[i], theirs.min[i], 1e-4f);
        EXPECT_NEAR(ours.max[i], theirs.max[i], 1e-4f);
    }
    EXPECT_FLOAT_EQ(model.getBoundsMin().x, theirs.min[0]);
    EXPECT_FLOAT_EQ(model.getBoundsMax().z, theirs.max[2]);
}

TestMesh cube()
{
    TestMesh mesh;
    for (int v = 0; v < 8; ++v)
        mesh.positions.insert(mesh.positions.end(), {float(v & 1), float((v >> 1) & 1), float((v >> 2) & 1)});
    mesh.triangles = {0, 2, 1, 1, 2, 3, 4, 5, 6, 5, 7, 6, 0, 1, 4, 1, 5, 4,
                      2, 6, 3, 3, 6, 7, 0, 4, 2, 2, 4, 6, 1, 3, 5, 3, 7, 5};
    return mesh;
}

struct Case {
    const char* name;
    TestMesh mesh;
    bool quads;
};

std::vector<Case> cases()
{
    std::vector<Case> all;
    all.push_back({"cube", cube(), false});
    all.push_back({"quads", makeGridMesh(6, 4, 0), true});
    all.push_back({"materials", makeGridMesh(10, 8, 4), false});
    TestMesh objects = makeGridMesh(12, 9, 3);
    objects.objectStarts = {40, 130};
    all.push_back({"objects", objects, false});
    all.push_back({"thousands", makeGridMesh(60, 40, 5), true});
    return all;
}

}  // namespace

TEST(ModelAssimpCrossCheck, ObjFilesAgree)
{
    ScratchFolder folder;
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        const std::string obj = std::string(c.name) + ".obj";
        writeObjFile(folder.path.string(), obj, std::string(c.name) + ".mtl", c.mesh, c.quads);
        CModel model;
        ASSERT_TRUE(loadObjFile(folder.file(obj).c_str(), model, nullptr));
        expectSame(ourSummary(model, 1), assimpSummary(folder.file(obj)), model);
        EXPECT_EQ(model.getShape().getVertexColours(), !c.mesh.materials.empty());
    }
}

TEST(ModelAssimpCrossCheck, ThreeDsFilesAgree)
{
    ScratchFolder folder;
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        const std::string file = folder.file(std::string(c.name) + ".3ds");
        writeBinaryFile(file, make3dsFile(c.mesh));
        CModel model;
        ASSERT_TRUE(load3dsFile(file.c_str(), model, nullptr));
        expectSame(ourSummary(model, 0), assimpSummary(file), model);
    }
}

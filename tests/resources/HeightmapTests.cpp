// Height fields: the grid and index layout, the 16-bit limit, and the
// resource list entries for models, sounds, streams and heightmaps.
#include "ModelFileWriters.h"
#include "ResourceTestFiles.h"
#include "SoundTestFiles.h"
#include "resources/CHeightmap.h"
#include "resources/CModel.h"
#include "resources/CResourceManager.h"
#include "resources/CSoundStream.h"
#include "xml/CXMLDocument.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(CHeightmap, TwoByTwoGridAndItsTriangles)
{
    const std::uint8_t heights[4] = {10, 20, 30, 40};
    CHeightmap map;
    ASSERT_TRUE(map.build(2, 2, heights));
    ASSERT_EQ(map.getVertexCount(), 4u);
    const float expected[12] = {-1, 10, -1, 0, 20, -1, -1, 30, 0, 0, 40, 0};
    EXPECT_TRUE(std::equal(expected, expected + 12, map.getPositions()));
    ASSERT_EQ(map.getIndexCount(), 6u);
    const std::uint16_t indices[6] = {0, 1, 2, 2, 1, 3};
    EXPECT_TRUE(std::equal(indices, indices + 6, map.getIndices()));
    EXPECT_FLOAT_EQ(map.getTexCoords()[6], 1.0f);
    EXPECT_FLOAT_EQ(map.getTexCoords()[7], 1.0f);
    EXPECT_GT(map.getNormals()[1], 0.0f); // the grid faces up (+y)
}

TEST(CHeightmap, OnePixelWideGivesVerticesButNoTrianglesAndFiniteCoordinates)
{
    const std::uint8_t heights[3] = {1, 2, 3};
    CHeightmap map;
    ASSERT_TRUE(map.build(1, 3, heights));
    EXPECT_EQ(map.getVertexCount(), 3u);
    EXPECT_EQ(map.getIndexCount(), 0u);
    EXPECT_FLOAT_EQ(map.getTexCoords()[0], 0.0f);
    EXPECT_FLOAT_EQ(map.getTexCoords()[5], 1.0f);
}

TEST(CHeightmap, GridsBeyondSixteenBitIndicesAreRefused)
{
    std::vector<std::uint8_t> heights(257 * 256, 7);
    CHeightmap map;
    EXPECT_FALSE(map.build(257, 256, heights.data()));
    EXPECT_EQ(map.getVertexCount(), 0u);
    ASSERT_TRUE(map.build(256, 256, heights.data()));
    EXPECT_EQ(map.getIndexCount(), 255u * 255u * 6u);
    EXPECT_EQ(map.getIndices()[map.getIndexCount() - 1], 65535);
}

TEST(CResourceManager, ListLoadsModelsSoundsStreamsAndHeightmaps)
{
    ScratchFolder folder;
    const TestMesh mesh = makeGridMesh(4, 3, 2);
    writeObjFile(folder.path.string(), "grid.obj", "grid.mtl", mesh);
    writeBinaryFile(folder.file("grid.3ds"), make3dsFile(mesh));
    ASSERT_TRUE(makeSineWav(folder.file("tone.wav"), 8000, 1));
    ASSERT_TRUE(makeOgg(folder.file("tone.wav"), folder.file("tone.ogg")));
    // A 3 x 2 RGBA picture: heights come from the red components.
    std::vector<std::uint8_t> rgba(3 * 2 * 4, 99);
    for (int p = 0; p < 6; ++p)
        rgba[p * 4] = std::uint8_t(p * 10);
    ASSERT_TRUE(writePngFile(folder.file("height.png").c_str(), 3, 2, 32, rgba.data(), nullptr));

    const std::string list = "<r><model name=\"obj\" file=\"" + folder.file("grid.obj") + "\"/>"
                             "<model name=\"3ds\" file=\"" + folder.file("grid.3ds") + "\"/>"
                             "<sound name=\"wav\" file=\"" + folder.file("tone.wav") + "\"/>"
                             "<sound name=\"ogg\" file=\"" + folder.file("tone.ogg") + "\"/>"
                             "<stream name=\"music\" file=\"" + folder.file("tone.ogg") + "\" size=\"250\"/>"
                             "<stream name=\"nostream\" file=\"" + folder.file("tone.wav") + "\"/>"
                             "<heightmap name=\"hills\" file=\"" + folder.file("height.png") + "\"/>"
                             "<heightmap name=\"missing\" file=\"" + folder.file("none.png") + "\"/></r>";
    CXMLDocument document;
    ASSERT_TRUE(document.parse(list.c_str()));
    CResourceManager manager;
    manager.loadList(document);
    ASSERT_EQ(manager.getCount(), 7u);

    for (const char* name : {"obj", "3ds"}) {
        auto* model = dynamic_cast<CModel*>(manager.find(name));
        ASSERT_NE(model, nullptr) << name;
        EXPECT_EQ(model->getType(), CResource::TypeModel);
        EXPECT_EQ(model->getShape().getVertexCount(), 20u) << name;
        EXPECT_TRUE(model->getShape().getVertexColours());
        EXPECT_FLOAT_EQ(model->getBoundsMax().x, 2.0f);
        EXPECT_FLOAT_EQ(model->getBoundsMax().y, 0.75f);
    }
    auto* wav = dynamic_cast<CSound*>(manager.find("wav"));
    auto* ogg = dynamic_cast<CSound*>(manager.find("ogg"));
    ASSERT_TRUE(wav && ogg);
    EXPECT_EQ(wav->getDuration(), 1000);
    EXPECT_EQ(ogg->getDuration(), 1000);
    EXPECT_EQ(ogg->getType(), CResource::TypeSound);
    auto* stream = dynamic_cast<CSoundStream*>(manager.find("music"));
    ASSERT_NE(stream, nullptr);
    EXPECT_TRUE(stream->isOpen());
    EXPECT_EQ(stream->getDataSize(), 8000u * 2 * 250 * 16 / 1000);
    EXPECT_EQ(manager.find("nostream"), nullptr);

    auto* hills = dynamic_cast<CModel*>(manager.find("hills"));
    ASSERT_NE(hills, nullptr);
    ASSERT_EQ(hills->getShape().getVertexCount(), 6u);
    EXPECT_FLOAT_EQ(hills->getShape().getPositions()[3 * 4 + 1], 40.0f);
    EXPECT_FLOAT_EQ(hills->getBoundsMin().x, -1.5f);
    EXPECT_FLOAT_EQ(hills->getBoundsMax().y, 50.0f);
    auto* missing = dynamic_cast<CModel*>(manager.find("missing"));
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->getShape().getVertexCount(), 0u);
}

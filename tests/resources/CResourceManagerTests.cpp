// Resource manager: suffix dispatch, the resource-list reader, lookups and
// the array's growth and shrink rules.
#include "ResourceTestFiles.h"

#include "core/CSlotList.h"
#include "resources/CResourceManager.h"
#include "resources/CSprite.h"
#include "resources/CTexture.h"
#include "xml/CXMLDocument.h"

#include <fstream>
#include <sys/stat.h>
#include <memory>

namespace {

void writeText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::unique_ptr<CResource> namedResource(const char* name)
{
    auto resource = std::make_unique<CSprite>();
    resource->setName(name);
    return resource;
}

}

TEST(CResourceManager, LoadsImagesBySuffixOnly)
{
    ScratchFolder scratch;
    writeTestPng(scratch.file("a.png"), 4, 4);
    writeTestPng(scratch.file("B.PNG"), 4, 4);
    CResourceManager manager;
    manager.load(scratch.file("a.png").c_str(), "a");
    manager.load(scratch.file("B.PNG").c_str(), "b");        // upper-case suffix: not an image
    manager.load(scratch.file("a.gif").c_str(), "gif");      // unknown suffix
    manager.load(scratch.file("sound.OGG").c_str(), "ogg");  // upper-case suffix: not a sound
    ASSERT_EQ(manager.getCount(), 1u);
    auto* texture = dynamic_cast<CTexture*>(manager.find("a"));
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->getType(), CResource::TypeImage);
    EXPECT_EQ(texture->getWidth(), 4u);
    EXPECT_EQ(texture->getChannels(), 4u);
    EXPECT_NE(texture->getData(), nullptr); // headless: pixels kept despite the default discard
    EXPECT_EQ(manager.find("b"), nullptr);
}

TEST(CResourceManager, UnreadableImageStillYieldsATextureWithoutPixels)
{
    ScratchFolder scratch;
    writeText(scratch.file("broken.png"), "not a png");
    CResourceManager manager;
    manager.load(scratch.file("broken.png").c_str(), "broken");
    auto* texture = dynamic_cast<CTexture*>(manager.find("broken"));
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->getData(), nullptr);
}

TEST(CResourceManager, DuplicateFileIsLoadedOnce)
{
    ScratchFolder scratch;
    writeTestPng(scratch.file("hero.png"), 8, 8);
    const std::string list = "<resources>"
                             "<texture name=\"first\" file=\"" + scratch.file("hero.png") + "\"/>"
                             "<texture name=\"second\" file=\"" + scratch.file("hero.png") + "\"/>"
                             "<texture name=\"nofile\"/>"
                             "</resources>";
    writeText(scratch.file("list.xml"), list);
    CResourceManager manager;
    EXPECT_TRUE(manager.loadListFile(scratch.file("list.xml").c_str()));
    EXPECT_EQ(manager.getCount(), 1u);
    EXPECT_NE(manager.find("first"), nullptr);
    EXPECT_EQ(manager.find("second"), nullptr);
}

TEST(CResourceManager, FindPrefersOwnResourcesThenChildrenInOrder)
{
    CResourceManager parent;
    CResourceManager child1;
    CResourceManager child2;
    parent.add(namedResource("shared"));
    child1.add(namedResource("shared"));
    child1.add(namedResource("one"));
    child2.add(namedResource("one"));
    child2.add(namedResource("two"));
    parent.addChild(&child1);
    parent.addChild(&child2);
    EXPECT_EQ(parent.find("shared"), parent.getResource(0));
    EXPECT_EQ(parent.find("one"), child1.getResource(1));
    EXPECT_EQ(parent.find("two"), child2.getResource(1));
    EXPECT_EQ(parent.find("three"), nullptr);
    parent.clear(); // forgets the children, does not delete them
    EXPECT_EQ(parent.find("two"), nullptr);
    EXPECT_EQ(child2.getCount(), 2u);
}

TEST(CResourceManager, ArrayGrowsByDoublingAndShrinksByHalving)
{
    CResourceManager manager;
    EXPECT_EQ(manager.getCapacity(), 0u);
    const std::uint32_t expected[] = {2, 2, 4, 4, 8};
    for (int i = 0; i < 5; ++i) {
        manager.add(namedResource(std::to_string(i).c_str()));
        EXPECT_EQ(manager.getCapacity(), expected[i]) << "after " << i + 1;
    }
    manager.remove("0"); // 4 left, 8 / 4 = 2 > 1: halve
    EXPECT_EQ(manager.getCapacity(), 4u);
    manager.remove("1"); // 3 left, 4 / 3 = 1: keep
    EXPECT_EQ(manager.getCapacity(), 4u);
    manager.remove("missing");
    EXPECT_EQ(manager.getCount(), 3u);
    manager.remove("2"); // 2 left, 4 / 2 = 2: halve
    EXPECT_EQ(manager.getCapacity(), 2u);
    manager.remove("3"); // 1 left, 2 / 1 = 2 but never below 2
    EXPECT_EQ(manager.getCapacity(), 2u);
    EXPECT_EQ(manager.getResource(0)->getName(), String("4"));
    EXPECT_EQ(manager.getResource(1), nullptr);
    manager.remove("4");
    EXPECT_EQ(manager.getCapacity(), 0u);
    EXPECT_EQ(manager.getCount(), 0u);
}

class SpriteListTest : public ::testing::Test {
protected:
    void loadSprite(const std::string& spriteElement)
    {
        writeTestPng(scratch.file("sheet.png"), 64, 32);
        const std::string list = "<resources>" + spriteElement + "</resources>";
        CXMLDocument document;
        std::string text = list;
        const std::string key = "FILE";
        for (std::size_t at; (at = text.find(key)) != std::string::npos;)
            text.replace(at, key.size(), scratch.file("sheet.png"));
        ASSERT_TRUE(document.parse(text.c_str()));
        manager.loadList(document);
        ASSERT_EQ(manager.getCount(), 2u);
        texture = dynamic_cast<CTexture*>(manager.getResource(0));
        sprite = dynamic_cast<CSprite*>(manager.getResource(1));
        ASSERT_NE(texture, nullptr);
        ASSERT_NE(sprite, nullptr);
    }

    ScratchFolder scratch;
    CResourceManager manager;
    CTexture* texture = nullptr;
    CSprite* sprite = nullptr;
};

TEST_F(SpriteListTest, TextureIsRegisteredUnderItsPathAndSpriteFollows)
{
    loadSprite("<sprite name=\"walk\" file=\"FILE\"/>");
    EXPECT_EQ(texture->getName(), String(scratch.file("sheet.png").c_str()));
    EXPECT_EQ(sprite->getName(), String("walk"));
    EXPECT_EQ(sprite->getType(), CResource::TypeSprite);
    // Without children: one frame over the whole texture, delay 0.
    ASSERT_EQ(sprite->getFrameCount(), 1u);
    const SpriteFrame* frame = sprite->getFrame(0);
    EXPECT_EQ(frame->w, 64u);
    EXPECT_EQ(frame->h, 32u);
    EXPECT_EQ(frame->delay, 0);
    EXPECT_EQ(frame->texture, texture);
}

TEST_F(SpriteListTest, ArrayAddsColumnsTimesRowsFramesRowByRow)
{
    loadSprite("<sprite name=\"walk\" file=\"FILE\">"
               "<frame array=\"4,2\" x=\"0\" y=\"0\" w=\"16\" h=\"16\" name=\"ignored\"/>"
               "<frame array=\"3,0\" w=\"16\" h=\"16\"/>"
               "<frame array=\"999999,999999\" w=\"1\" h=\"1\"/>"
               "</sprite>");
    ASSERT_EQ(sprite->getFrameCount(), 8u);
    for (std::uint32_t i = 0; i < 8; ++i) {
        const SpriteFrame* frame = sprite->getFrame(i);
        EXPECT_EQ(frame->x, (i % 4) * 16) << i;
        EXPECT_EQ(frame->y, (i / 4) * 16) << i;
        EXPECT_EQ(frame->w, 16u);
        EXPECT_TRUE(frame->name.isEmpty());
    }
    EXPECT_EQ(sprite->getFrame(8), nullptr);
}

TEST_F(SpriteListTest, FramesTakeDefaultsFromTextureAndFps)
{
    loadSprite("<sprite name=\"walk\" file=\"FILE\" fps=\"25\">"
               "<frame name=\"a\" x=\"4\" y=\"2\"/>"
               "<frame name=\"b\" delay=\"7\" w=\"3abc\" h=\"junk\"/>"
               "<frame name=\"a\" x=\"9\"/>"
               "</sprite>");
    EXPECT_EQ(sprite->getDefaultDelay(), 40);
    ASSERT_EQ(sprite->getFrameCount(), 3u);
    const SpriteFrame* a = sprite->getFrame(0);
    EXPECT_EQ(a->delay, 40);
    EXPECT_EQ(a->w, 64u);
    EXPECT_EQ(a->h, 32u);
    const SpriteFrame* b = sprite->getFrame(1);
    EXPECT_EQ(b->delay, 7);
    EXPECT_EQ(b->w, 3u); // leading number
    EXPECT_EQ(b->h, 0u); // no number at all
    EXPECT_EQ(sprite->findFrame("a"), sprite->getFrame(0));
    EXPECT_EQ(sprite->findFrame("c"), nullptr);
}

TEST_F(SpriteListTest, ImpossibleRectanglesAreRefusedInPlace)
{
    // Negative numbers, and sums past 2^31 in an array's steps, never reach
    // the frame fields; the refused frames keep their places and names.
    loadSprite("<sprite name=\"walk\" file=\"FILE\">"
               "<frame name=\"up\" x=\"1\" y=\"-2\" w=\"4\" h=\"4\"/>"
               "<frame name=\"left\" x=\"-1\"/>"
               "<frame name=\"thin\" w=\"-3\"/>"
               "<frame array=\"3,1\" x=\"2147483646\" w=\"1\" h=\"1\"/>"
               "<frame name=\"fine\" x=\"8\" y=\"4\" w=\"2\" h=\"2\"/>"
               "</sprite>");
    ASSERT_EQ(sprite->getFrameCount(), 7u);
    for (std::uint32_t i : {0u, 1u, 2u, 4u, 5u}) {
        const SpriteFrame* frame = sprite->getFrame(i);
        EXPECT_NE(frame->refusal, nullptr) << i;
        EXPECT_EQ(frame->w | frame->h | frame->x | frame->y, 0u) << i;
    }
    EXPECT_EQ(sprite->getFrame(1)->name, String("left"));
    EXPECT_STREQ(sprite->getFrame(0)->refusal, "a coordinate or size is negative");
    EXPECT_EQ(sprite->getFrame(3)->refusal, nullptr); // 2147483646 + 1 still fits
    EXPECT_EQ(sprite->getFrame(3)->x, 2147483646u);
    const SpriteFrame* fine = sprite->getFrame(6);
    EXPECT_EQ(fine->refusal, nullptr);
    EXPECT_EQ(fine->x, 8u);
    EXPECT_EQ(fine->y, 4u);
}

TEST(CResourceManager, SpriteTakesTheTextureOfItsPathNotOneNamedLikeIt)
{
    ScratchFolder scratch;
    writeTestPng(scratch.file("a.png"), 8, 8);
    writeTestPng(scratch.file("b.png"), 16, 4);
    // A texture from a.png that carries b.png's path as its name comes first.
    const std::string list = "<resources>"
                             "<texture name=\"" + scratch.file("b.png") + "\" file=\"" + scratch.file("a.png") + "\"/>"
                             "<sprite name=\"s\" file=\"" + scratch.file("b.png") + "\"/>"
                             "</resources>";
    CXMLDocument document;
    ASSERT_TRUE(document.parse(list.c_str()));
    CResourceManager manager;
    manager.loadList(document);
    ASSERT_EQ(manager.getCount(), 3u);
    auto* sprite = dynamic_cast<CSprite*>(manager.getResource(2));
    ASSERT_NE(sprite, nullptr);
    ASSERT_EQ(sprite->getFrameCount(), 1u);
    EXPECT_EQ(sprite->getFrame(0)->texture, manager.getResource(1));
    EXPECT_EQ(sprite->getFrame(0)->w, 16u);
}

TEST(CResourceManager, OnLoadReportsEveryElementBeforeItIsProcessed)
{
    struct Recorder {
        void onLoad(CXMLNode& node, unsigned int index, unsigned int count)
        {
            seen.push_back(std::string(node.name().c_str()) + ":" + std::to_string(index) + "/" +
                           std::to_string(count));
        }
        std::vector<std::string> seen;
        CSlotList slots;
    } recorder;
    CResourceManager manager;
    connectSlot(recorder.slots, manager.onLoad, &recorder, &Recorder::onLoad);
    CXMLDocument document;
    ASSERT_TRUE(document.parse("<r><texture/><font file=\"x.ttf\"/><stream file=\"x.ogg\"/></r>"));
    manager.loadList(document);
    EXPECT_EQ(recorder.seen, (std::vector<std::string>{"texture:0/3", "font:1/3", "stream:2/3"}));
    EXPECT_EQ(manager.getCount(), 1u); // the stream, although x.ogg cannot be opened
}

TEST(CResourceManager, NamedPipesAreRefusedWithoutWaitingForAWriter)
{
    // Opening a pipe that nobody writes to waits forever; every entry must
    // be turned down at once instead (the test hangs if one is not).
    ScratchFolder scratch;
    const char* pipes[] = {"a.wav", "b.ogg", "c.3ds", "d.png", "e.bmp", "f.tga", "g.jpg", "h.mtl", "i.xml", "j.ttf"};
    for (const char* name : pipes)
        ASSERT_EQ(::mkfifo(scratch.file(name).c_str(), 0600), 0) << name;
    writeText(scratch.file("model.obj"), "mtllib h.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    writeTestPng(scratch.file("real.png"), 4, 4);
    std::string list = "<resources>";
    for (const char* name : {"a.wav", "b.ogg", "c.3ds", "d.png", "e.bmp", "f.tga", "g.jpg", "model.obj"})
        list += std::string("<entry name=\"") + name + "\" file=\"" + scratch.file(name) + "\"/>";
    list += "<stream name=\"s\" file=\"" + scratch.file("b.ogg") + "\"/>";
    list += "<heightmap name=\"h\" file=\"" + scratch.file("d.png") + "\"/>";
    list += "<font name=\"f\" file=\"" + scratch.file("j.ttf") + "\" height=\"12\"/>";
    list += "<texture name=\"real\" file=\"" + scratch.file("real.png") + "\"/></resources>";
    CXMLDocument document;
    ASSERT_TRUE(document.parse(list.c_str()));
    CResourceManager manager;
    manager.loadList(document);
    EXPECT_NE(manager.find("real"), nullptr);
    EXPECT_FALSE(manager.loadListFile(scratch.file("i.xml").c_str()));
}

// The extension loader against a fake driver: which names resolve, what the
// driver lists, and how often the lookup is asked.
#include "render/CExtensionLoader.h"
#include "image/CImage.h"
#include "render/TextureUpload.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

// The fake driver: names it exports and its extension string.
struct FakeDriver {
    std::set<std::string> exported;
    std::string extensions;
    std::vector<std::string> asked;
    bool listsNothing = false;
};
FakeDriver* driver = nullptr;
int fakeFunction = 0;

void* fakeLookup(const char* name)
{
    driver->asked.push_back(name);
    return driver->exported.count(name) ? &fakeFunction : nullptr;
}

const char* fakeExtensions()
{
    return driver->listsNothing ? nullptr : driver->extensions.c_str();
}

class CExtensionLoaderTest : public ::testing::Test {
protected:
    void SetUp() override { driver = &fake; }
    void TearDown() override { driver = nullptr; }

    void exportAll(GLEntryPoint first, GLEntryPoint last)
    {
        for (auto i = std::uint32_t(first); i <= std::uint32_t(last); ++i)
            fake.exported.insert(glEntryPointName(GLEntryPoint(i)));
    }

    FakeDriver fake;
    CExtensionLoader loader{fakeLookup, fakeExtensions};
};

}  // namespace

TEST_F(CExtensionLoaderTest, GroupResolvesOnceAndStaysAvailable)
{
    fake.extensions = "GL_ARB_multitexture GL_ARB_vertex_buffer_object";
    exportAll(GLEntryPoint::ActiveTextureARB, GLEntryPoint::ClientActiveTextureARB);
    EXPECT_TRUE(loader.load("GL_ARB_multitexture"));
    EXPECT_EQ(fake.asked, (std::vector<std::string>{"glActiveTextureARB", "glClientActiveTextureARB"}));
    EXPECT_EQ(loader.entryPoint(GLEntryPoint::ActiveTextureARB), &fakeFunction);

    fake.asked.clear();
    EXPECT_TRUE(loader.load("GL_ARB_multitexture"));
    EXPECT_TRUE(fake.asked.empty());
}

TEST_F(CExtensionLoaderTest, MissingEntryPointFailsAndKeepsEarlierOnes)
{
    fake.extensions = "GL_ARB_multitexture";
    fake.exported.insert("glActiveTextureARB");
    EXPECT_FALSE(loader.load("GL_ARB_multitexture"));
    EXPECT_NE(loader.entryPoint(GLEntryPoint::ActiveTextureARB), nullptr);
    EXPECT_EQ(loader.entryPoint(GLEntryPoint::ClientActiveTextureARB), nullptr);

    // Stops at the first failure: later names are not asked.
    fake.extensions = "GL_ARB_vertex_buffer_object";
    fake.asked.clear();
    EXPECT_FALSE(loader.load("GL_ARB_vertex_buffer_object"));
    EXPECT_EQ(fake.asked, (std::vector<std::string>{"glBindBufferARB"}));

    // Once the driver exports it, only the missing one is asked for.
    fake.extensions = "GL_ARB_multitexture";
    fake.exported.insert("glClientActiveTextureARB");
    fake.asked.clear();
    EXPECT_TRUE(loader.load("GL_ARB_multitexture"));
    EXPECT_EQ(fake.asked, (std::vector<std::string>{"glClientActiveTextureARB"}));
}

TEST_F(CExtensionLoaderTest, ShaderNamesShareOneGroupAndFramebuffersUseCoreNames)
{
    fake.extensions = "GL_ARB_vertex_shader GL_ARB_fragment_shader GL_ARB_framebuffer_object";
    exportAll(GLEntryPoint::CreateShader, GLEntryPoint::GetProgramInfoLog);
    EXPECT_TRUE(loader.load("GL_ARB_fragment_shader"));
    EXPECT_EQ(fake.asked.size(), 24u);
    EXPECT_EQ(fake.asked.front(), "glCreateShader");
    EXPECT_EQ(fake.asked.back(), "glGetProgramInfoLog");
    fake.asked.clear();
    EXPECT_TRUE(loader.load("GL_ARB_vertex_shader"));
    EXPECT_TRUE(fake.asked.empty());

    exportAll(GLEntryPoint::BindRenderbuffer, GLEntryPoint::CheckFramebufferStatus);
    EXPECT_TRUE(loader.load("GL_ARB_framebuffer_object"));
    EXPECT_EQ(fake.asked.size(), 10u);
    EXPECT_EQ(fake.asked.back(), "glCheckFramebufferStatus");
}

// GLX hands out an address for any name, so a group also has to be listed
// (as a whole name) by the driver.
TEST_F(CExtensionLoaderTest, KnownGroupMustBeListedByTheDriver)
{
    exportAll(GLEntryPoint::ActiveTextureARB, GLEntryPoint::ClientActiveTextureARB);
    fake.extensions = "GL_ARB_multitexture_extra GL_EXT_other";
    EXPECT_FALSE(loader.load("GL_ARB_multitexture"));
    EXPECT_TRUE(fake.asked.empty());
    EXPECT_EQ(loader.entryPoint(GLEntryPoint::ActiveTextureARB), nullptr);

    fake.listsNothing = true;   // e.g. a core profile context
    EXPECT_FALSE(loader.load("GL_ARB_multitexture"));

    fake.listsNothing = false;
    fake.extensions = "GL_EXT_other GL_ARB_multitexture";
    EXPECT_TRUE(loader.load("GL_ARB_multitexture"));
}

TEST_F(CExtensionLoaderTest, OtherNamesAreASubstringSearchOfTheList)
{
    fake.extensions = "GL_EXT_texture_filter_anisotropic GL_ARB_texture_float";
    EXPECT_TRUE(loader.load("GL_EXT_texture_filter_anisotropic"));
    EXPECT_TRUE(loader.load("GL_EXT_texture_filter"));   // a prefix counts
    EXPECT_TRUE(loader.load("float"));
    EXPECT_FALSE(loader.load("GL_ARB_texture_compression"));
    EXPECT_FALSE(loader.load(""));
    EXPECT_FALSE(loader.load(String()));
    EXPECT_TRUE(fake.asked.empty());

    // Group names compare case-sensitively: this is only a listed name.
    fake.extensions = "gl_arb_multitexture WGL_ARB_extensions_string";
    exportAll(GLEntryPoint::ActiveTextureARB, GLEntryPoint::ClientActiveTextureARB);
    EXPECT_TRUE(loader.load("gl_arb_multitexture"));
    EXPECT_TRUE(fake.asked.empty());
    // The Windows pixel-format group has no counterpart here.
    EXPECT_FALSE(loader.load("WGL_ARB_extensions_string"));

    fake.listsNothing = true;
    EXPECT_FALSE(loader.load("GL_ARB_texture_float"));
}

TEST(TextureUpload, DoesNothingWithoutARenderer)
{
    ASSERT_FALSE(isRendererInitialised());
    const std::uint8_t pixels[4 * 4] = {};
    std::uint32_t id = 42;
    EXPECT_FALSE(uploadSquarePixels(pixels, 2, 4, 32, id, true, false, false));
    EXPECT_EQ(id, 42u);
    CImage square;
    ASSERT_TRUE(square.create(4, 4, 4, 32));
    EXPECT_FALSE(uploadSquareTexture(square, id, false, true, true));
    EXPECT_EQ(id, 42u);
    deleteTexture(id);   // no GL call, no crash
    deleteTexture(0);
}

// The renderer against Mesa's software GL: pixels read back from the frame
// buffer after drawing through the engine's camera convention.
#include "GLTestContext.h"

#include "core/CMatrix.h"
#include "image/CImage.h"
#include "render/CExtensionLoader.h"
#include "render/CLight.h"
#include "render/Renderer.h"
#include "render/Screenshot.h"
#include "render/TextureUpload.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

void expectPixel(const Pixel& p, int r, int g, int b, int tolerance = 2)
{
    EXPECT_NEAR(p.r, r, tolerance);
    EXPECT_NEAR(p.g, g, tolerance);
    EXPECT_NEAR(p.b, b, tolerance);
}

// A square RGBA texture from rows listed top to bottom (the image stores
// them bottom-up).
CImage squareImage(std::uint32_t side, const std::vector<std::uint32_t>& topDownRgba)
{
    CImage image;
    image.create(side, side, 4, 32);
    for (std::uint32_t row = 0; row < side; ++row) {
        for (std::uint32_t column = 0; column < side; ++column) {
            const std::uint32_t rgba = topDownRgba[row * side + column];
            std::uint8_t* pixel = image.getData() + ((side - 1 - row) * side + column) * 4;
            pixel[0] = std::uint8_t(rgba >> 24);
            pixel[1] = std::uint8_t(rgba >> 16);
            pixel[2] = std::uint8_t(rgba >> 8);
            pixel[3] = std::uint8_t(rgba);
        }
    }
    return image;
}

std::uint32_t uploadRgba(std::uint32_t side, const std::vector<std::uint32_t>& topDownRgba)
{
    std::uint32_t id = 0;
    EXPECT_TRUE(uploadSquareTexture(squareImage(side, topDownRgba), id, false, false, false));
    return id;
}

// The material shows its own colour: emission only, alpha from diffuse.
void unlitColour(CMaterial& material, float r, float g, float b, float alpha)
{
    material.ambient.set(0, 0, 0, 0);
    material.diffuse.set(0, 0, 0, alpha);
    material.emission.set(r, g, b, 1);
}

class RendererDisplay : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(glTestContextReady()) << "no GL context (run under xvfb-run)";
        setEngineCamera();
        // Light 0 straight above the screen, far away: N.L is 1 everywhere.
        const CMatrix identity(4, 4);
        loadModelView(&identity);
        CLight light;
        light.position.set(-400, -300, 1.0e6f);
        light.colours.ambient.set(0, 0, 0, 0);
        light.colours.diffuse.set(1, 1, 1, 1);
        applyLight(0, light);
        const float noAmbient[4] = {0, 0, 0, 1};
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, noAmbient);
        setEngineCamera();
        clear(0, 0, 0, 1);
        defaultCapabilities = rendererCapabilities();
    }

    void TearDown() override
    {
        setRendererCapabilities(defaultCapabilities);
        for (std::uint32_t id : textures)
            deleteTexture(id);
        const float defaultAmbient[4] = {0.2f, 0.2f, 0.2f, 1};
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, defaultAmbient);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }

    std::uint32_t texture(std::uint32_t side, const std::vector<std::uint32_t>& topDownRgba)
    {
        textures.push_back(uploadRgba(side, topDownRgba));
        return textures.back();
    }

    RendererCapabilities defaultCapabilities;
    std::vector<std::uint32_t> textures;
};

}  // namespace

TEST_F(RendererDisplay, InitialisationSetsTheDefaultStateAndCapabilities)
{
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
    EXPECT_TRUE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_TRUE(glIsEnabled(GL_NORMAL_ARRAY));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    GLint value = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &value);
    EXPECT_EQ(value, GL_LESS);
    glGetIntegerv(GL_SHADE_MODEL, &value);
    EXPECT_EQ(value, GL_SMOOTH);

    // Mesa offers every group the engine knows.
    const RendererCapabilities& caps = rendererCapabilities();
    EXPECT_TRUE(caps.multitexture);
    EXPECT_TRUE(caps.vertexBuffers);
    EXPECT_TRUE(caps.vertexShader);
    EXPECT_TRUE(caps.fragmentShader);
    GLint units = 0;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS_ARB, &units);
    EXPECT_GE(caps.textureLayerLimit, 2);
    EXPECT_LE(caps.textureLayerLimit, units);
    EXPECT_NE(vertexBufferName(VertexBuffer::Indices), 0u);
    EXPECT_TRUE(loadExtension("GL_ARB_texture_flo"));   // a substring of a listed name
    EXPECT_FALSE(loadExtension("GL_QF_no_such_extension"));

    clear(0, 0, 1, 1);
    expectPixel(readGuiPixel(10, 10), 0, 0, 255);
    setViewport(5, 6, 0, 0);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 1);
    EXPECT_EQ(viewport[3], 1);
}

// The engine's projection and camera put window pixel (x, y) at GUI (x, y)
// with the origin at the top left.
TEST_F(RendererDisplay, GuiCoordinatesAreWindowPixelsFromTheTopLeft)
{
    auto quad = makeRectangleQuad(10, 20, 30, 40, 1);
    unlitColour(quad->getMaterial(), 1, 1, 1, 1);
    quad->draw();
    expectPixel(readGuiPixel(10, 20), 255, 255, 255);    // first pixel inside
    expectPixel(readGuiPixel(39, 59), 255, 255, 255);    // last pixel inside
    expectPixel(readGuiPixel(9, 20), 0, 0, 0);
    expectPixel(readGuiPixel(10, 19), 0, 0, 0);
    expectPixel(readGuiPixel(40, 59), 0, 0, 0);
    expectPixel(readGuiPixel(39, 60), 0, 0, 0);

    auto corner = makeRectangleQuad(790, 590, 10, 10, 1);   // bottom-right corner
    unlitColour(corner->getMaterial(), 1, 0, 0, 1);
    corner->draw();
    expectPixel(readGuiPixel(799, 599), 255, 0, 0);
    expectPixel(readGuiPixel(789, 599), 0, 0, 0);
}

TEST_F(RendererDisplay, FramebufferReadsBackBottomUpAndRestoresPackState)
{
    // A red square in the window's bottom-left corner: the first stored row.
    auto corner = makeRectangleQuad(0, testWindowHeight - 2, 2, 2, 1);
    unlitColour(corner->getMaterial(), 1, 0, 0, 1);
    corner->draw();
    glPixelStorei(GL_PACK_ALIGNMENT, 8);

    CImage rgb;
    ASSERT_TRUE(readFramebuffer(0, 0, 3, 3, 3, rgb));
    ASSERT_EQ(rgb.getBitsPerPixel(), 24u);
    const std::uint8_t* p = rgb.getData();
    EXPECT_EQ(p[0], 255);                 // (0, 0): red
    EXPECT_EQ(p[(1 * 3 + 1) * 3], 255);   // (1, 1): red
    EXPECT_EQ(p[2 * 3], 0);               // (2, 0): outside
    EXPECT_EQ(p[(2 * 3) * 3], 0);         // (0, 2): outside

    CImage rgba;
    ASSERT_TRUE(readFramebuffer(1, 1, 2, 2, 4, rgba));
    ASSERT_EQ(rgba.getChannels(), 4u);
    EXPECT_EQ(rgba.getData()[0], 255);
    EXPECT_EQ(rgba.getData()[4], 0);      // (2, 1)

    GLint alignment = 0;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 8);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    EXPECT_FALSE(readFramebuffer(0, 0, 2, 2, 2, rgb));
    EXPECT_FALSE(readFramebuffer(0, 0, 0, 2, 3, rgb));
    EXPECT_EQ(rgb.getWidth(), 3u);        // refusals leave the image alone
}

TEST_F(RendererDisplay, NewQuadIsLitWithItsDiffuseGrey)
{
    // A white light: the default material's 0.8 diffuse grey.
    auto quad = makeRectangleQuad(100, 100, 50, 50, 1);
    quad->draw();
    expectPixel(readGuiPixel(125, 125), 204, 204, 204);
    EXPECT_EQ(readGuiPixel(125, 125).a, 255);

    // The default light (0.8 diffuse, 0.2 ambient) under GL's default global
    // ambient: 0.2 x 0.2 + 0.2 x 0.2 + 0.8 x 0.8 = 0.72.
    CLight light;
    light.position.set(-400, -300, 1.0e6f);
    const CMatrix identity(4, 4);
    loadModelView(&identity);
    applyLight(0, light);
    const float defaultAmbient[4] = {0.2f, 0.2f, 0.2f, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, defaultAmbient);
    setEngineCamera();
    clear(0, 0, 0, 1);
    quad->draw();
    expectPixel(readGuiPixel(125, 125), 184, 184, 184);

    // Switched off: only the ambient terms are left.
    light.enabled = false;
    applyLight(0, light);
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
    clear(0, 0, 0, 1);
    quad->draw();
    expectPixel(readGuiPixel(125, 125), 10, 10, 10);
}

TEST_F(RendererDisplay, SpotLightIsTurnedBackIntoAPointLight)
{
    CLight light;
    light.noSpot = false;
    light.spotCutOff = 30;
    applyLight(1, light);
    float cutOff = 0;
    glGetLightfv(GL_LIGHT1, GL_SPOT_CUTOFF, &cutOff);
    EXPECT_EQ(cutOff, 30.0f);
    light.noSpot = true;
    applyLight(1, light);
    glGetLightfv(GL_LIGHT1, GL_SPOT_CUTOFF, &cutOff);
    EXPECT_EQ(cutOff, 180.0f);
    light.enabled = false;
    applyLight(1, light);
}

TEST_F(RendererDisplay, AlphaAndAdditiveBlending)
{
    auto back = makeRectangleQuad(0, 0, 200, 100, 1);
    unlitColour(back->getMaterial(), 1, 0, 0, 1);
    back->draw();

    auto alpha = makeRectangleQuad(0, 0, 100, 100, 2);
    unlitColour(alpha->getMaterial(), 0, 1, 0, 0.5f);
    alpha->draw();
    auto additive = makeRectangleQuad(100, 0, 100, 100, 2);
    unlitColour(additive->getMaterial(), 0, 1, 0, 0.5f);
    additive->getMaterial().additive = true;
    additive->draw();

    expectPixel(readGuiPixel(50, 50), 128, 128, 0);
    expectPixel(readGuiPixel(150, 50), 255, 128, 0);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(RendererDisplay, ScissorBoxConfinesDrawing)
{
    setCapability(GL_SCISSOR_TEST, true);
    setScissor(100, testWindowHeight - 300, 200, 100);   // GUI rectangle (100, 200)-(300, 300)
    auto quad = makeRectangleQuad(0, 0, testWindowWidth, testWindowHeight, 1);
    unlitColour(quad->getMaterial(), 1, 1, 1, 1);
    quad->draw();
    setCapability(GL_SCISSOR_TEST, false);
    expectPixel(readGuiPixel(100, 200), 255, 255, 255);
    expectPixel(readGuiPixel(299, 299), 255, 255, 255);
    expectPixel(readGuiPixel(99, 250), 0, 0, 0);
    expectPixel(readGuiPixel(300, 250), 0, 0, 0);
    expectPixel(readGuiPixel(150, 199), 0, 0, 0);
    expectPixel(readGuiPixel(150, 300), 0, 0, 0);
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
}

TEST_F(RendererDisplay, TexturedQuadShowsThePictureUpright)
{
    // Top row red, green; bottom row blue, white.
    auto quad = makeRectangleQuad(100, 100, 100, 100, 1);
    unlitColour(quad->getMaterial(), 1, 1, 1, 1);
    quad->getMaterial().textures.push_back(texture(2, {0xFF0000FF, 0x00FF00FF, 0x0000FFFF, 0xFFFFFFFF}));
    quad->draw();
    expectPixel(readGuiPixel(125, 125), 255, 0, 0);
    expectPixel(readGuiPixel(175, 125), 0, 255, 0);
    expectPixel(readGuiPixel(125, 175), 0, 0, 255);
    expectPixel(readGuiPixel(175, 175), 255, 255, 255);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));

    // The texture matrix selects the top-right texel only.
    quad->getMaterial().textureMatrix.setElement(0, 0.5f);
    quad->getMaterial().textureMatrix.setElement(5, 0.5f);
    quad->getMaterial().textureMatrix.setElement(12, 0.5f);
    quad->getMaterial().textureMatrix.setElement(13, 0.5f);
    quad->getTransform().setElement(14, 2.0f);
    quad->draw();
    expectPixel(readGuiPixel(110, 190), 0, 255, 0);
    GLint depth = 0;
    glGetIntegerv(GL_TEXTURE_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
}

TEST_F(RendererDisplay, TextureLayersModulateAndFallBackToTheFirst)
{
    auto quad = makeRectangleQuad(0, 0, 100, 100, 1);
    unlitColour(quad->getMaterial(), 1, 1, 1, 1);
    quad->getMaterial().textures = {texture(1, {0xFFFF00FF}), texture(1, {0x00FFFFFF})};
    quad->draw();
    expectPixel(readGuiPixel(50, 50), 0, 255, 0);   // yellow x cyan

    RendererCapabilities caps = defaultCapabilities;
    caps.multitexture = false;
    setRendererCapabilities(caps);
    quad->getTransform().setElement(14, 2.0f);
    quad->draw();
    expectPixel(readGuiPixel(50, 50), 255, 255, 0);   // first only

    caps = defaultCapabilities;
    caps.textureLayerLimit = 1;
    setRendererCapabilities(caps);
    quad->getTransform().setElement(14, 3.0f);
    quad->draw();
    expectPixel(readGuiPixel(50, 50), 255, 255, 0);
}

// Draws an indexed, vertex-coloured mesh and checks the colour and that every
// piece of state the draw touched is back to the default.
void drawIndexedMeshAndCheckState(float z)
{
    CShape mesh;
    mesh.setPrimitiveType(CShape::primitiveTriangles);
    ASSERT_TRUE(mesh.allocateVertices(4));
    ASSERT_TRUE(mesh.allocateIndices(6));
    const float corners[4][2] = {{300, 300}, {400, 300}, {400, 400}, {300, 400}};
    for (std::uint32_t i = 0; i < 4; ++i) {
        CVertex v = mesh.vertex(i);
        v.position.set(corners[i][0], corners[i][1], z);
        v.normal.set(0, 0, 1);
        std::uint8_t* colour = mesh.getColours() + i * 4;
        colour[0] = 0;
        colour[1] = 0;
        colour[2] = 255;
    }
    const std::uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    std::memcpy(mesh.getIndices(), indices, sizeof(indices));
    mesh.setVertexColours(true);
    mesh.getMaterial().textures = {0, 0};   // two (empty) layers
    mesh.draw();
    expectPixel(readGuiPixel(350, 350), 0, 0, 255);   // diffuse follows the vertex colour

    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    GLint value = -1;
    glGetIntegerv(GL_MATRIX_MODE, &value);
    EXPECT_EQ(value, GL_MODELVIEW);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &value);
    EXPECT_EQ(value, 1);
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &value);
    EXPECT_EQ(value, GL_TEXTURE0_ARB);
    glGetIntegerv(GL_CLIENT_ACTIVE_TEXTURE_ARB, &value);
    EXPECT_EQ(value, GL_TEXTURE0_ARB);
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING_ARB, &value);
    EXPECT_EQ(value, 0);
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING_ARB, &value);
    EXPECT_EQ(value, 0);
}

TEST_F(RendererDisplay, IndexedMeshThroughVertexBuffersAndClientArrays)
{
    drawIndexedMeshAndCheckState(1);
    clear(0, 0, 0, 1);
    RendererCapabilities caps = defaultCapabilities;
    caps.vertexBuffers = false;
    setRendererCapabilities(caps);
    drawIndexedMeshAndCheckState(1);
}

TEST_F(RendererDisplay, MeshWithIndicesPastItsVerticesIsNotDrawn)
{
    CShape mesh;
    mesh.setPrimitiveType(CShape::primitiveTriangles);
    ASSERT_TRUE(mesh.allocateVertices(3));
    ASSERT_TRUE(mesh.allocateIndices(3));
    mesh.vertex(0).position.set(0, 0, 1);
    mesh.vertex(1).position.set(100, 0, 1);
    mesh.vertex(2).position.set(0, 100, 1);
    const std::uint16_t indices[3] = {0, 1, 40000};
    std::memcpy(mesh.getIndices(), indices, sizeof(indices));
    unlitColour(mesh.getMaterial(), 1, 1, 1, 1);
    mesh.draw();
    expectPixel(readGuiPixel(10, 10), 0, 0, 0);
    mesh.getIndices()[2] = 2;
    mesh.draw();
    expectPixel(readGuiPixel(10, 10), 255, 255, 255);
}

TEST_F(RendererDisplay, TextureUploadPathsAndNameReuse)
{
    struct Case {
        bool linear, mipmaps, compress;
    };
    for (const Case& c : {Case{false, false, false}, Case{true, true, false}, Case{true, false, true},
                          Case{true, true, true}}) {
        SCOPED_TRACE(testing::Message() << c.linear << c.mipmaps << c.compress);
        clear(0, 0, 0, 1);
        const CImage image = squareImage(4, std::vector<std::uint32_t>(16, 0x3366CCFF));
        std::uint32_t id = 0;
        ASSERT_TRUE(uploadSquareTexture(image, id, c.linear, c.mipmaps, c.compress));
        ASSERT_NE(id, 0u);
        textures.push_back(id);
        GLint value = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &value);
        EXPECT_EQ(value, 4);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
        EXPECT_EQ(value, c.mipmaps ? GL_LINEAR_MIPMAP_LINEAR : (c.linear ? GL_LINEAR : GL_NEAREST));
        if (c.mipmaps) {
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 2, GL_TEXTURE_WIDTH, &value);
            EXPECT_EQ(value, 1);
        }

        auto quad = makeRectangleQuad(0, 0, 64, 64, 1);
        unlitColour(quad->getMaterial(), 1, 1, 1, 1);
        quad->getMaterial().textures.push_back(id);
        quad->draw();
        expectPixel(readGuiPixel(32, 32), 0x33, 0x66, 0xCC, 8);

        // Uploading again keeps the name and replaces the picture.
        const std::uint32_t first = id;
        ASSERT_TRUE(uploadSquareTexture(squareImage(2, std::vector<std::uint32_t>(4, 0xFF8000FF)), id, c.linear,
                                        c.mipmaps, c.compress));
        EXPECT_EQ(id, first);
        quad->getTransform().setElement(14, 2.0f);
        quad->draw();
        expectPixel(readGuiPixel(32, 32), 255, 128, 0, 8);
    }
}

TEST_F(RendererDisplay, UploadsGreySixteenBitAndFloatPixelsAndRefusesOthers)
{
    CImage grey;
    grey.create(2, 2, 1, 8);
    std::memset(grey.getData(), 100, 4);
    CImage wide;   // 16-bit grey + alpha
    wide.create(2, 2, 2, 32);
    const std::uint16_t wideTexel[2] = {0x8000, 0xFFFF};
    for (int i = 0; i < 4; ++i)
        std::memcpy(wide.getData() + i * 4, wideTexel, 4);
    CImage floats;
    floats.create(2, 2, 3, 96);
    const float floatTexel[3] = {1.0f, 0.25f, 0.25f};
    for (int i = 0; i < 4; ++i)
        std::memcpy(floats.getData() + i * 12, floatTexel, 12);

    const struct {
        const CImage* image;
        int r, g, b;
    } cases[] = {{&grey, 100, 100, 100}, {&wide, 128, 128, 128}, {&floats, 255, 64, 64}};
    float z = 1;
    for (const auto& c : cases) {
        std::uint32_t id = 0;
        ASSERT_TRUE(uploadSquareTexture(*c.image, id, false, false, false));
        textures.push_back(id);
        auto quad = makeRectangleQuad(0, 0, 64, 64, z++);
        unlitColour(quad->getMaterial(), 1, 1, 1, 1);
        quad->getMaterial().textures.push_back(id);
        quad->draw();
        expectPixel(readGuiPixel(32, 32), c.r, c.g, c.b, 3);
    }

    std::uint32_t id = 0;
    CImage oblong;
    oblong.create(4, 2, 4, 32);
    EXPECT_FALSE(uploadSquareTexture(oblong, id, false, false, false));
    EXPECT_FALSE(uploadSquareTexture(CImage(), id, false, false, false));
    const std::uint8_t pixels[5 * 4] = {};
    EXPECT_FALSE(uploadSquarePixels(pixels, 2, 5, 40, id, false, false, false));   // five channels
    EXPECT_FALSE(uploadSquarePixels(pixels, 2, 1, 24, id, false, false, false));   // 3-byte components
    EXPECT_EQ(id, 0u);
}

TEST_F(RendererDisplay, TextureLayersLeaveLayerZerosCoordinatesAsTheyFoundThem)
{
    // One and two layers, with layer 0's texture-coordinate array on (the
    // default) and off before the draw: the draw puts it back either way.
    auto quad = makeRectangleQuad(0, 0, 10, 10, 1);
    const std::uint32_t red = texture(1, {0xFF0000FF});
    for (const bool wasOn : {true, false}) {
        for (const std::size_t layers : {1u, 2u}) {
            quad->getMaterial().textures.assign(layers, red);
            glClientActiveTexture(GL_TEXTURE0);
            if (wasOn)
                glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            else
                glDisableClientState(GL_TEXTURE_COORD_ARRAY);
            quad->draw();
            glClientActiveTexture(GL_TEXTURE0);
            EXPECT_EQ(glIsEnabled(GL_TEXTURE_COORD_ARRAY) == GL_TRUE, wasOn) << layers;
            glClientActiveTexture(GL_TEXTURE1);
            EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY)) << layers;
            glClientActiveTexture(GL_TEXTURE0);
        }
    }
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
}

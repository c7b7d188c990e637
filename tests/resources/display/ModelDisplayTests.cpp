// Models and height fields on a real GL context: a model read from OBJ draws
// with its materials' vertex colours, and a height field's silhouette follows
// its heights. Run under Xvfb with Mesa's software renderer.
#include "../ModelFileWriters.h"
#include "../ResourceTestFiles.h"
#include "core/CMatrix.h"
#include "core/CVector.h"
#include "image/CImage.h"
#include "render/CLight.h"
#include "render/Renderer.h"
#include "render/Screenshot.h"
#include "resources/CHeightmap.h"
#include "resources/CModel.h"
#include "resources/CTexture.h"
#include "resources/ObjReader.h"

#include <GL/gl.h>
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr int width = 400;
constexpr int height = 300;

struct Pixel {
    int r, g, b;
};

class ModelDisplay : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
        if (SDL_Init(SDL_INIT_VIDEO) != 0)
            return;
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
        window = SDL_CreateWindow("model tests", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS);
        if (window)
            context = SDL_GL_CreateContext(window);
        if (context) {
            SDL_GL_MakeCurrent(window, context);
            initialiseRenderer();
        }
    }

    static void TearDownTestSuite()
    {
        if (context) {
            shutdownRenderer();
            SDL_GL_DeleteContext(context);
        }
        if (window)
            SDL_DestroyWindow(window);
        SDL_Quit();
        context = nullptr;
        window = nullptr;
    }

    void SetUp() override
    {
        ASSERT_NE(context, nullptr) << "no GL context: " << SDL_GetError();
        // The engine's camera: window pixels from the top left, larger z nearer.
        setViewport(0, 0, width, height);
        const CMatrix projection = CMatrix::orthographic(0, width, height, 0, 0, 1000);
        loadProjection(&projection);
        CMatrix camera(4, 4);
        camera.setTranslation(CVector(float(width), float(height), 0.0f));
        const CMatrix identity(4, 4);
        loadModelView(&identity);
        multiplyMatrix(camera.inverse());
        clear(0, 0, 0, 1);
    }

    static Pixel pixelAt(int x, int y)
    {
        CImage pixel;
        if (!readFramebuffer(x, height - 1 - y, 1, 1, 4, pixel))
            return {-1, -1, -1};
        const std::uint8_t* rgba = pixel.getData();
        return {rgba[0], rgba[1], rgba[2]};
    }

    static inline SDL_Window* window = nullptr;
    static inline SDL_GLContext context = nullptr;
};

void expectPixel(const Pixel& p, int r, int g, int b)
{
    EXPECT_NEAR(p.r, r, 2);
    EXPECT_NEAR(p.g, g, 2);
    EXPECT_NEAR(p.b, b, 2);
}

}  // namespace

TEST_F(ModelDisplay, ObjModelDrawsItsMaterialColours)
{
    // Two squares of 100 pixels side by side, red on the left, green on the right.
    ScratchFolder folder;
    writeTextFile(folder.file("two.mtl"), "newmtl red\nKd 1 0 0\nnewmtl green\nKd 0 1 0\n");
    writeTextFile(folder.file("two.obj"), "mtllib two.mtl\n"
                                          "v 50 50 500\nv 150 50 500\nv 150 150 500\nv 50 150 500\n"
                                          "v 200 50 500\nv 300 50 500\nv 300 150 500\nv 200 150 500\n"
                                          "usemtl red\nf 4 3 2 1\nusemtl green\nf 8 7 6 5\n");
    CModel model;
    ASSERT_TRUE(loadObjFile(folder.file("two.obj").c_str(), model, nullptr));
    ASSERT_TRUE(model.getShape().getVertexColours());

    setCapability(GL_LIGHTING, false);
    model.getShape().draw();
    setCapability(GL_LIGHTING, true);
    expectPixel(pixelAt(100, 100), 255, 0, 0);
    expectPixel(pixelAt(250, 100), 0, 255, 0);
    expectPixel(pixelAt(175, 100), 0, 0, 0);
    expectPixel(pixelAt(100, 200), 0, 0, 0);
    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL)); // the draw restored its state

    // Lit, the vertex colour drives the diffuse colour: the two ambient
    // terms (0.2 x 0.2 each) plus the 0.8 diffuse light on the face.
    CLight light;
    light.position.set(0, 0, 1.0e6f);
    applyLight(0, light);
    clear(0, 0, 0, 1);
    model.getShape().draw();
    expectPixel(pixelAt(100, 100), 224, 20, 20);
}

TEST_F(ModelDisplay, HeightmapSilhouetteFollowsItsHeights)
{
    // Seen along z, a grid whose front row is flat (0) and whose back row
    // rises 0, 40, 80, 120 fills the area under that profile: x is the
    // column (scaled to 60 pixels), y the height (down the screen here).
    const std::uint8_t heights[8] = {0, 0, 0, 0, 0, 40, 80, 120};
    CHeightmap map;
    ASSERT_TRUE(map.build(4, 2, heights));
    CModel model;
    model.setShape(map);
    EXPECT_FLOAT_EQ(model.getBoundsMax().y, 120.0f);
    CShape& shape = model.getShape();
    for (std::uint32_t v = 0; v < shape.getVertexCount(); ++v) {
        std::uint8_t* rgba = shape.getColours() + v * 4;
        rgba[0] = 0;
        rgba[1] = 128;
        rgba[2] = 255;
    }
    shape.setVertexColours(true);
    shape.setScale(60, 1, 1);
    shape.getTransform().setTranslation(CVector(200, 10, 500));

    setCapability(GL_LIGHTING, false);
    shape.draw();
    setCapability(GL_LIGHTING, true);
    // Column x from -2 to 1 lands at 80, 140, 200, 260; the top edge runs
    // from (80, 10) to (260, 130) along the heights.
    expectPixel(pixelAt(250, 100), 0, 128, 255); // under the edge: covered
    expectPixel(pixelAt(250, 140), 0, 0, 0);     // past the highest point
    expectPixel(pixelAt(110, 20), 0, 128, 255);
    expectPixel(pixelAt(110, 40), 0, 0, 0);      // below the edge at x = 110 (y 30)
    expectPixel(pixelAt(60, 15), 0, 0, 0);       // left of the grid
}

TEST_F(ModelDisplay, UploadDiscardsOwnedPixelsButKeepsBorrowedOnes)
{
    std::vector<std::uint8_t> pixels(4 * 4 * 4, 200);
    const struct {
        bool borrowed;
        bool kept;
    } cases[] = {{false, false}, {true, true}};
    for (const auto& c : cases) {
        CTexture texture;
        if (c.borrowed) {
            texture.borrowPixels(pixels.data(), 4, 4, 4, 32);
        } else {
            ASSERT_TRUE(texture.create(4, 4, 4, 32));
        }
        texture.upload(0xFFFFFFFFu, false, false, false, true);
        EXPECT_NE(texture.getTextureId(), 0u) << c.borrowed;
        EXPECT_EQ(texture.getData() != nullptr, c.kept) << c.borrowed;
        EXPECT_EQ(texture.getWidth(), 4u);
    }
    EXPECT_EQ(pixels[0], 200);
}

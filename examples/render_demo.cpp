// render_demo: the renderer on the framework's GL window.
//
// Opens the tool's 800 x 600 borderless window, sets the engine's top-left
// camera and light 0, and draws a few textured quads for a number of frames:
// an unlit picture, a lit grey quad, a spinning quad and an additive glow.
// After the last frame it reads the back buffer, saves it as
// "render_demo.png" in the folder named on the command line and checks two
// pixels. Exits 0 when the window opened and the pixels are right.
//
//   render_demo <output folder>
#include "core/CMatrix.h"
#include "core/CVector.h"
#include "framework/ApplicationMain.h"
#include "framework/CAppGL.h"
#include "image/CImage.h"
#include "image/ImageFile.h"
#include "render/CLight.h"
#include "render/CQuad.h"
#include "render/Renderer.h"
#include "render/Screenshot.h"
#include "render/TextureUpload.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr unsigned int windowWidth = 800;
constexpr unsigned int windowHeight = 600;
constexpr int framesToDraw = 20;

std::string outputFolder = ".";
bool demoPassed = false;

// A side x side RGBA picture from a function of (column, row from the top).
template <typename Colour>
CImage makePicture(std::uint32_t side, Colour colour)
{
    CImage image;
    image.create(side, side, 4, 32);
    for (std::uint32_t row = 0; row < side; ++row) {
        for (std::uint32_t column = 0; column < side; ++column) {
            std::uint8_t* pixel = image.getData() + ((side - 1 - row) * side + column) * 4;
            const std::uint32_t rgba = colour(column, row);
            pixel[0] = std::uint8_t(rgba >> 24);
            pixel[1] = std::uint8_t(rgba >> 16);
            pixel[2] = std::uint8_t(rgba >> 8);
            pixel[3] = std::uint8_t(rgba);
        }
    }
    return image;
}

class RenderDemo : public CAppGL {
public:
    int main(int, char**) override
    {
        CAppGL::setContextReadyHandler(initialiseRenderer);
        CAppGL::setContextClosingHandler(shutdownRenderer);
        if (!createGLWindow(windowWidth, windowHeight, false, false, false, 32, 24, 8, 0))
            return 0;
        setTitle("render demo");
        setFrameTime(30);
        setViewport(0, 0, windowWidth, windowHeight);
        projection = CMatrix::orthographic(0, windowWidth, windowHeight, 0, 0, 1000);
        loadProjection(&projection);
        CMatrix camera(4, 4);
        camera.setTranslation(CVector(float(windowWidth), float(windowHeight), 0));
        view = camera.inverse();
        light.position.set(-400, -300, 1000);   // above the window's centre (eye space)
        light.colours.diffuse.set(1, 1, 1, 1);
        light.colours.ambient.set(0, 0, 0, 1);

        makeScene();
        run();
        for (std::uint32_t id : textures)
            deleteTexture(id);
        return 0;   // the context, and with it the renderer, closes with the application
    }

    void draw() override
    {
        clear(0.5f, 0.5f, 0.5f, 0.0f);
        loadProjection(&projection);
        const CMatrix identity(4, 4);
        loadModelView(&identity);
        applyLight(0, light);
        multiplyMatrix(view);

        spinner->setRotation(0, 0, float(frameCount) * 9.0f);
        for (const auto& quad : quads)
            quad->draw();

        if (++frameCount == framesToDraw) {
            finish();
            stop();
        }
    }

private:
    std::uint32_t upload(const CImage& picture, bool linear)
    {
        std::uint32_t id = 0;
        uploadSquareTexture(picture, id, linear, false, false);
        textures.push_back(id);
        return id;
    }

    void makeScene()
    {
        // Unlit picture: four coloured squares, shown exactly (emission white).
        auto picture = makeRectangleQuad(40, 40, 200, 200, 1);
        picture->getMaterial().emission.set(1, 1, 1, 0);
        picture->getMaterial().diffuse.set(0, 0, 0, 1);
        picture->getMaterial().ambient.set(0, 0, 0, 0);
        picture->getMaterial().textures.push_back(upload(
            makePicture(2, [](std::uint32_t column, std::uint32_t row) {
                static const std::uint32_t colours[4] = {0xE03020FF, 0x30C040FF, 0x2050E0FF, 0xF0F0F0FF};
                return colours[row * 2 + column];
            }),
            false));
        quads.push_back(std::move(picture));

        // A lit quad with the default material: 0.8 grey under a white light.
        quads.push_back(makeRectangleQuad(300, 40, 200, 200, 1));

        // A checkerboard spinning about its corner, lit, with linear filtering.
        auto checker = makeRectangleQuad(660, 160, 100, 100, 2);
        checker->getMaterial().textures.push_back(upload(
            makePicture(64, [](std::uint32_t column, std::uint32_t row) {
                return ((column / 8 + row / 8) % 2 == 0) ? 0xFFFFFFFFu : 0x203060FFu;
            }),
            true));
        spinner = checker.get();
        quads.push_back(std::move(checker));

        // A soft round glow added on top of the lower half.
        auto glow = makeRectangleQuad(100, 300, 600, 250, 3);
        glow->getMaterial().additive = true;
        glow->getMaterial().emission.set(1.0f, 0.7f, 0.2f, 0);
        glow->getMaterial().diffuse.set(0, 0, 0, 1);
        glow->getMaterial().textures.push_back(upload(
            makePicture(64, [](std::uint32_t column, std::uint32_t row) {
                const float dx = (float(column) - 31.5f) / 32.0f, dy = (float(row) - 31.5f) / 32.0f;
                const float falloff = 1.0f - (dx * dx + dy * dy);
                const auto alpha = std::uint32_t(falloff > 0 ? falloff * 255.0f : 0.0f);
                return 0xFFFFFF00u | alpha;
            }),
            true));
        quads.push_back(std::move(glow));
    }

    // Reads the frame, saves it and checks the picture quad and the lit quad.
    void finish()
    {
        CImage frame;
        if (!readFramebuffer(0, 0, windowWidth, windowHeight, 3, frame)) {
            std::fprintf(stderr, "render_demo: could not read the frame back\n");
            return;
        }

        std::error_code ignored;
        std::filesystem::create_directories(outputFolder, ignored);
        const std::string path = outputFolder + "/render_demo.png";
        std::string error;
        const bool saved = saveImageFile(path.c_str(), frame, 100, &error);
        if (!saved)
            std::fprintf(stderr, "render_demo: could not save %s: %s\n", path.c_str(), error.c_str());

        auto pixelAt = [&](int x, int y) {   // GUI coordinates, origin top left
            const std::uint8_t* p = frame.getData() + (std::size_t(windowHeight - 1 - y) * windowWidth + x) * 3;
            return std::vector<int>{p[0], p[1], p[2]};
        };
        auto near = [](const std::vector<int>& got, int r, int g, int b) {
            return std::abs(got[0] - r) <= 3 && std::abs(got[1] - g) <= 3 && std::abs(got[2] - b) <= 3;
        };
        const auto topLeft = pixelAt(90, 90);   // top-left square of the picture
        const auto grey = pixelAt(400, 140);    // centre of the lit quad
        const bool pictureRight = near(topLeft, 0xE0, 0x30, 0x20);
        const bool greyRight = grey[0] == grey[1] && grey[1] == grey[2] && grey[0] > 150 && grey[0] < 230;
        if (!pictureRight)
            std::fprintf(stderr, "render_demo: picture pixel is %d %d %d\n", topLeft[0], topLeft[1], topLeft[2]);
        if (!greyRight)
            std::fprintf(stderr, "render_demo: lit pixel is %d %d %d\n", grey[0], grey[1], grey[2]);
        demoPassed = saved && pictureRight && greyRight;
        if (demoPassed)
            std::printf("render_demo: %d frames, screenshot %s\n", frameCount, path.c_str());
    }

    CMatrix projection{4, 4};
    CMatrix view{4, 4};
    CLight light;
    std::vector<std::unique_ptr<CQuad>> quads;
    std::vector<std::uint32_t> textures;
    CQuad* spinner = nullptr;
    int frameCount = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1)
        outputFolder = argv[1];
    {
        // NOTE: a local rather than a static application, so that it is gone
        // before the framework's process-wide platform object is destroyed.
        RenderDemo application;
        runApplicationMain(argc, argv);
    }
    // Closing the application's context must have shut the renderer down.
    if (isRendererInitialised()) {
        std::fprintf(stderr, "render_demo: the renderer outlived its context\n");
        demoPassed = false;
    }
    return demoPassed ? 0 : 1;
}

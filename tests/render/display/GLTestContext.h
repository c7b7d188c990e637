// A real GL context for the renderer's display tests, and helpers to set the
// engine's camera, draw quads in GUI coordinates and read pixels back.
#pragma once

#include "render/CQuad.h"

#include <cstdint>
#include <memory>

constexpr int testWindowWidth = 800;
constexpr int testWindowHeight = 600;

struct Pixel {
    int r, g, b, a;
};

// True when the shared window and context exist (created before the first test).
bool glTestContextReady();

// The application's camera: the engine's orthographic projection for
// (0, width, height, 0, 0, 1000) and the inverse of a camera matrix that sits
// at (width, height, 0). Also resets viewport, scissor and light 0.
void setEngineCamera();

// A quad covering GUI rectangle (x, y, width, height) at depth z, facing the
// viewer, with texture v = 1 along its top edge.
std::unique_ptr<CQuad> makeGuiQuad(float x, float y, float width, float height, float z);

// The back buffer's pixel at GUI coordinates (origin top left).
Pixel readGuiPixel(int x, int y);

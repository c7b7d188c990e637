// A real GL context for the renderer's display tests, and helpers to set the
// engine's camera and read pixels back (quads in GUI coordinates come from
// makeRectangleQuad).
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

// The back buffer's pixel at GUI coordinates (origin top left).
Pixel readGuiPixel(int x, int y);

// Screenshot: reads rendered pixels back from the current GL context into a
// CImage, for screenshots and for tests that check what was drawn.
//
// The result is in the engine's image layout: 8-bit components, RGB or RGBA,
// rows stored bottom-up (which is also the order GL reads them in).
#pragma once

#include <cstdint>

class CImage;

// Reads the back buffer's rectangle of width x height pixels whose lower-left
// corner is (x, y) in GL window coordinates (origin bottom left) into `into`,
// with `channels` 3 (RGB) or 4 (RGBA). Returns false, with no GL call and
// `into` unchanged, without an initialised renderer, for an empty rectangle
// or another channel count. The read buffer and pack alignment are restored.
bool readFramebuffer(std::int32_t x, std::int32_t y, std::uint32_t width, std::uint32_t height,
                     std::uint32_t channels, CImage& into);

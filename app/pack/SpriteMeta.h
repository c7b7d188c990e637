// What a description says about a sprite beyond its rectangle: where its
// origin lies (pivot), which part of it stretches (nine-slice) and its place
// in an animation. Plain data, filled before the save (FrameDetails.h) and
// read by every description writer.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// Where a sprite's origin lies, as fractions of its original (untrimmed)
// width and height from the top left: (0.5, 1) is the middle of its feet.
struct SpritePivot {
    double x = 0.5;
    double y = 0.5;
    bool operator==(const SpritePivot&) const = default;
};

// Nine-slice borders in pixels of the original image: the stretchable
// middle lies `left` from the left edge, `right` from the right edge and so
// on; `pad`, when set, is the content padding (left, right, top, bottom).
struct NineSlice {
    std::int32_t left = 0;
    std::int32_t right = 0;
    std::int32_t top = 0;
    std::int32_t bottom = 0;
    std::optional<std::array<std::int32_t, 4>> pad;
};

// The per-frame details the descriptions write; all unset by default, which
// writes a frame exactly as it always was.
struct FrameMeta {
    std::optional<SpritePivot> pivot;
    std::optional<NineSlice> nineSlice;
    std::string animation;   // the sequence it belongs to ("walk"), "" for none
    std::int32_t index = -1; // its number in that sequence
};

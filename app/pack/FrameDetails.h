// The frame details the pack settings ask for, put on the images before
// their sprites are prepared (SpriteSheet.h), for the window tool and the
// command line alike:
//
// - pivot: the sprite's own (PackSettings::perSprite, by frame name), else
//   the pack's (PackSettings::pivot), else none;
// - nine-slice: the sprite's own from perSprite, else what its nine-patch
//   guides said (already on the image, NinePatch.h), else none;
// - animation: with PackSettings::animations, each frame's sequence and
//   number (AnimationSequences.h) over all images, so a sequence spread over
//   several pages keeps its numbers.
//
// perSprite entries that name no frame are passed over.
#pragma once

#include "app/pack/AtlasSave.h"
#include "app/pack/PackSettings.h"

#include <string>
#include <vector>

// Fills every image's `meta` as above. Returns "" or, for nine-slice borders
// that do not fit inside their image, why (naming the frame); the images
// are then left as they were.
std::string assignFrameDetails(std::vector<AtlasImage>& images, const PackSettings& settings);

// How many sequences the images' frame names hold (the window's status line).
std::size_t animationCount(const std::vector<AtlasImage>& images);

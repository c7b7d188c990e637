// Animation sequences found in frame names: frames whose names differ only
// in a trailing number (walk_1 ... walk_12, idle_01, run-3, hero/jump2) form
// a sequence named by what comes before the number, without one "_", "-",
// "." or " " right before it (walk, idle, run, hero/jump), ordered by the
// number.
//
// A sequence needs at least two frames. Frames are not put in one when it
// would be ambiguous or unreadable: two frames with the same number (walk_1
// and walk_01), a sequence name that is also another frame's whole name
// (walk beside walk_1 and walk_2), an empty name (1.png, 2.png) or one that
// begins or ends with a space, and numbers of more than nine digits.
// Finding them takes one pass and a sort: thousands of names cost
// microseconds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct AnimationSequence {
    std::string name;                  // "walk"
    std::vector<std::size_t> frames;   // indexes into the names given, by number
    std::vector<std::int32_t> numbers; // each frame's number, ascending
};

// The sequences among `frameNames` (frame names, without endings), in the
// order of their first frame in the list.
std::vector<AnimationSequence> findAnimations(const std::vector<std::string>& frameNames);

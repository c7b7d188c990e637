// CDisplay: display-related types shared by the window layer.
//
// The size type delivered with every resize uses the classic platform
// numbering; the framework itself acts only on `minimised`.
#pragma once

class CDisplay {
public:
    enum SizeType {
        restored = 0,
        minimised = 1,
        maximised = 2,
        otherRestored = 3,   // another window was restored
        otherMaximised = 4,  // another window was maximised
    };
};

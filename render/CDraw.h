// CDraw: the base of everything the renderer draws: one transform and a draw.
#pragma once

#include "core/CMatrix.h"

class CDraw {
public:
    CDraw();
    virtual ~CDraw();
    CDraw(const CDraw&) = delete;
    CDraw& operator=(const CDraw&) = delete;

    // Draws with the current GL state; the base draws nothing.
    virtual void draw();

    CMatrix& getTransform() { return transform; }
    const CMatrix& getTransform() const { return transform; }

protected:
    // 4 x 4, identity, column-major as GL expects; multiplied onto the
    // model-view matrix for the draw.
    CMatrix transform;
};

// CProgress: a progress bar showing a fill element whose width is a
// percentage of its own.
//
// The fill (`bar`) is an owned plain element whose parent is the progress
// bar; its sprite frame is the one after the bar's own. Its texture scale is
// narrowed with its width so the visible part of the fill image keeps its
// scale.
#pragma once

#include "gui/CGUI.h"

#include <cstdint>

class CProgress : public CGUI {
public:
    CProgress();
    CProgress(const CProgress& other);
    ~CProgress() override;

    void draw() override;
    // Common attributes, then "min" and "max"; the rotation is given to the
    // fill as well.
    void load(CXMLNode& node) override;
    // The same sprite for the fill, then setFrame (0).
    void setSprite(const CSprite& sprite) override;
    using CGUI::setFrame;
    // The bar shows frame n (no resize), the fill frame n + 1.
    void setFrame(std::uint32_t index) override;
    // Slot 9: the base, percent, the fill, position, min and max.
    using CGUI::copyFrom;
    virtual void copyFrom(const CProgress& other);

    // p clamped to [0, 100] (NaN reads as 0); fill width; emits onChange.
    void setPercent(float p);
    float getPercent() const { return percent; }
    // position = v clamped to [min, max]; unless min equals max, the
    // percentage follows.
    void setProgress(std::uint32_t v);
    std::uint32_t getProgress() const { return position; }
    void setMin(std::uint32_t v) { min = v; }
    void setMax(std::uint32_t v) { max = v; }
    std::uint32_t getMin() const { return min; }
    std::uint32_t getMax() const { return max; }
    CGUI& getBar() { return bar; }

    CSignal<float> onChange;

protected:
    // On the bar's onResize: the fill becomes (percent % of w, h).
    void layout(float width, float height);

    float percent = 0.0f;
    std::uint32_t position = 0;
    std::uint32_t min = 0;
    std::uint32_t max = 0;
    CGUI bar;
};

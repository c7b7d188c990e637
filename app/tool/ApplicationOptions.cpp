// Application: the packing options beyond the three modes, alignment, tight
// pack and spacing: "Best fit" as a fourth mode, the largest side of the
// atlas, trimming, packing duplicates once and edge extrusion. Every control
// is optional in the screen description; a missing one keeps its default.
#include "app/tool/Application.h"

#include "gui/CCheckBox.h"
#include "gui/CFont.h"
#include "gui/CScroll.h"
#include "image/ImageLimits.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

// The largest side's scroll positions.
constexpr std::uint32_t largestSides[] = {1024, 2048, 4096, 8192, 16384};
constexpr std::size_t largestCount = sizeof(largestSides) / sizeof(largestSides[0]);

std::size_t position(float value, std::size_t count)
{
    const float rounded = std::round(value);
    return rounded <= 0.0f ? 0 : std::min(static_cast<std::size_t>(rounded), count - 1);
}

}

void Application::setUpOptions()
{
    options.bestFit = dynamic_cast<CCheckBox*>(gui.find("cboxBestFit"));
    options.trim = dynamic_cast<CCheckBox*>(gui.find("cboxTrim"));
    options.alias = dynamic_cast<CCheckBox*>(gui.find("cboxAlias"));
    options.largest = dynamic_cast<CScroll*>(gui.find("largestScroll"));
    options.largestValue = dynamic_cast<CFont*>(gui.find("fontLargestValue"));
    options.extrude = dynamic_cast<CScroll*>(gui.find("extrudeScroll"));
    options.extrudeValue = dynamic_cast<CFont*>(gui.find("fontExtrudeValue"));
    if (options.bestFit != nullptr) {
        connectSlot(connections, options.bestFit->onClick, this, &Application::chooseBestFit);
        // Another mode chosen: its own handler has packed already.
        for (CCheckBox* box : {cboxAutoPack, cboxPackRight, cboxPackDown})
            connectSlot(connections, box->onClick, this, &Application::leaveBestFit);
    }
    if (options.trim != nullptr)
        connectSlot(connections, options.trim->onClick, this, &Application::chooseSpriteOptions);
    if (options.alias != nullptr)
        connectSlot(connections, options.alias->onClick, this, &Application::chooseSpriteOptions);
    if (options.largest != nullptr) {
        options.largest->setValue(static_cast<float>(largestCount - 1));
        connectSlot(connections, options.largest->onChange, this, &Application::setLargestSide);
    }
    if (options.extrude != nullptr)
        connectSlot(connections, options.extrude->onChange, this, &Application::setExtrusion);
}

void Application::chooseBestFit()
{
    options.bestFit->setChecked(true);
    for (CCheckBox* box : {cboxAutoPack, cboxPackRight, cboxPackDown})
        box->setChecked(false);
    packer.setMode(PackBest);
    relayout();
}

void Application::leaveBestFit()
{
    options.bestFit->setChecked(false);
}

void Application::chooseSpriteOptions()
{
    spriteOptions.trim = options.trim != nullptr && options.trim->isChecked();
    spriteOptions.alias = options.alias != nullptr && options.alias->isChecked();
    relayout();
}

void Application::setLargestSide(float value)
{
    largestSide = largestSides[position(value, largestCount)];
    if (options.largestValue != nullptr)
        options.largestValue->setText(String((std::to_string(largestSide) + " px").c_str()));
    relayout();
}

void Application::showLargestSide(std::uint32_t side)
{
    const auto* found = std::find(std::begin(largestSides), std::end(largestSides), side);
    if (found == std::end(largestSides))
        return;
    largestSide = side;
    if (options.largest != nullptr)
        options.largest->setValue(static_cast<float>(found - std::begin(largestSides))); // shows it
}

void Application::setExtrusion(float value)
{
    spriteOptions.extrude = static_cast<std::uint32_t>(position(value, 9));
    if (options.extrudeValue != nullptr)
        options.extrudeValue->setText(String((std::to_string(spriteOptions.extrude) + " px").c_str()));
    relayout();
}

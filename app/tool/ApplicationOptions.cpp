// Application: the packing options beyond the three modes, alignment, tight
// pack and spacing: "Best fit" as a fourth mode, the largest side of the
// atlas, trimming, packing duplicates once and edge extrusion. Every control
// is optional in the screen description; a missing one keeps its default.
#include "app/tool/Application.h"

#include "gui/CCheckBox.h"
#include "gui/CCombo.h"
#include "gui/CFont.h"
#include "gui/CScroll.h"
#include "image/ImageLimits.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

// The largest side's choices, the rows of its combo box.
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
    options.largest = dynamic_cast<CCombo*>(gui.find("largestCombo"));
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
        // The row bars show the description's "hover" and "select" colours
        // alone: unlit, at whatever depth the dropped list is drawn.
        for (CGUI* bar : {&options.largest->getList().getHoverBar(), &options.largest->getList().getSelectBar()}) {
            CMaterial& material = bar->getMaterial();
            material.diffuse.set(0.0f, 0.0f, 0.0f, material.diffuse.w);
            material.ambient.set(0.0f, 0.0f, 0.0f, 0.0f);
        }
        connectSlot(connections, options.largest->onSelect, this, &Application::setLargestSide);
        connectSlot(connections, options.largest->onFocus, this, &Application::largestFocus);
        showLargestSide(largestSides[largestCount - 1]);
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

void Application::setLargestSide(String&, std::int32_t row, std::int32_t)
{
    largestSide = largestSides[position(static_cast<float>(row), largestCount)];
    showLargestSide(largestSide);
    relayout();
}

// The combo's field shows the side in force, whatever was typed into it.
void Application::largestFocus(bool focused)
{
    if (!focused)
        showLargestSide(largestSide);
}

void Application::showLargestSide(std::uint32_t side)
{
    const auto* found = std::find(std::begin(largestSides), std::end(largestSides), side);
    if (found == std::end(largestSides))
        return;
    const bool changed = largestSide != side;
    largestSide = side;
    if (options.largest != nullptr) {
        const auto row = static_cast<std::uint32_t>(found - std::begin(largestSides));
        options.largest->getList().setSelected(row);
        options.largest->getEdit().setText(options.largest->getList().getCellText(row, 0));
    }
    if (changed)
        relayout();
}

void Application::setExtrusion(float value)
{
    spriteOptions.extrude = static_cast<std::uint32_t>(position(value, 9));
    if (options.extrudeValue != nullptr)
        options.extrudeValue->setText(String((std::to_string(spriteOptions.extrude) + " px").c_str()));
    relayout();
}

// Shared helpers for the GUI tests: sprites without textures, descriptions
// parsed from text, and a recorder of element signals.
#pragma once

#include "core/CSlotList.h"
#include "gui/CGUI.h"
#include "gui/CGUIManager.h"
#include "resources/CResourceManager.h"
#include "resources/CSprite.h"
#include "xml/CXMLDocument.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace guitest {

// A sprite named `name` with `count` frames side by side, frame i being
// (i * width, 0, width + i, height + i) so that frame sizes differ.
inline void addSprite(CResourceManager& resources, const char* name, std::uint32_t count, std::uint32_t width,
                      std::uint32_t height)
{
    auto sprite = std::make_unique<CSprite>();
    sprite->setName(name);
    for (std::uint32_t i = 0; i < count; ++i) {
        SpriteFrame frame;
        frame.initFrame(i * width, 0, width + i, height + i, 0, nullptr);
        sprite->addFrame(frame);
    }
    resources.add(std::move(sprite));
}

// A sprite of `count` frames that are all width x height.
inline void addUniformSprite(CResourceManager& resources, const char* name, std::uint32_t count,
                             std::uint32_t width, std::uint32_t height)
{
    auto sprite = std::make_unique<CSprite>();
    sprite->setName(name);
    for (std::uint32_t i = 0; i < count; ++i) {
        SpriteFrame frame;
        frame.initFrame(i * width, 0, width, height, 0, nullptr);
        sprite->addFrame(frame);
    }
    resources.add(std::move(sprite));
}

inline void loadText(CGUIManager& manager, const char* text, CResourceManager* resources = nullptr)
{
    CXMLDocument document;
    ASSERT_TRUE(document.parse(text)) << text;
    manager.loadNode(document, resources);
}

// Records the standard signals of one element as short words.
class SignalLog {
public:
    explicit SignalLog(CGUI& element, const char* tag = "")
        : tag_(tag)
    {
        connectSlot(slots, element.onMouseOver, this, &SignalLog::over);
        connectSlot(slots, element.onMouseOut, this, &SignalLog::out);
        connectSlot(slots, element.onFocus, this, &SignalLog::focus);
        connectSlot(slots, element.onPress, this, &SignalLog::press);
        connectSlot(slots, element.onClick, this, &SignalLog::click);
        connectSlot(slots, element.onDoubleClick, this, &SignalLog::doubleClick);
        connectSlot(slots, element.onInput, this, &SignalLog::input);
        connectSlot(slots, element.onDragEnd, this, &SignalLog::dragEnd);
    }
    std::string take()
    {
        std::string result = text_;
        text_.clear();
        return result;
    }

private:
    void add(const std::string& word) { text_ += (text_.empty() ? "" : " ") + tag_ + word; }
    void over() { add("over"); }
    void out() { add("out"); }
    void focus(bool value) { add(value ? "focus" : "blur"); }
    void press() { add("press"); }
    void click() { add("click"); }
    void doubleClick() { add("double"); }
    void input(CInputMap& event) { add("in" + std::to_string(event.action)); }
    void dragEnd(float x, float y) { add("dragEnd(" + std::to_string(int(x)) + "," + std::to_string(int(y)) + ")"); }

    std::string tag_;
    std::string text_;
    CSlotList slots;
};

} // namespace guitest

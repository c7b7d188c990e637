// TestApp and InputRecorder: an application whose draw and main are
// observable, and a receiver that keeps every input record it is given.
#pragma once

#include "FakePlatform.h"

#include "framework/CAppGL.h"
#include "framework/Input.h"

#include <string>
#include <vector>

class TestApp : public CAppGL {
public:
    explicit TestApp(FakePlatform* fake = nullptr) : fake_(fake) {}

    void draw() override
    {
        drawStarts.push_back(fake_ != nullptr ? fake_->now : 0);
        if (fake_ != nullptr) {
            fake_->log.push_back("draw");
            fake_->now += drawCost;
        }
        if (drawLimit > 0 && static_cast<int>(drawStarts.size()) >= drawLimit)
            stop();
    }

    int main(int argumentCount, char** arguments) override
    {
        mainCount = argumentCount;
        mainLine = arguments != nullptr && arguments[0] != nullptr ? arguments[0] : "(null)";
        return 42;
    }

    std::uint32_t drawCost = 0;
    int drawLimit = 0;
    std::vector<std::uint32_t> drawStarts;
    int mainCount = -1;
    std::string mainLine;

private:
    FakePlatform* fake_;
};

struct InputRecorder {
    InputRecorder()
    {
        connectSlot(slots, keyboardInput(), this, &InputRecorder::onKey);
        connectSlot(slots, mouseInput(), this, &InputRecorder::onMouse);
    }
    void onKey(CInputMap& record) { keys.push_back(record); }
    void onMouse(CInputMap& record) { mouse.push_back(record); }

    std::vector<CInputMap> keys;
    std::vector<CInputMap> mouse;
    CSlotList slots;
};

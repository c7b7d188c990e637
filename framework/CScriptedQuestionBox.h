// CScriptedQuestionBox: a question box that answers from a script, for
// tests that drive the window tool without a person.
//
// Each question takes the next queued answer, or is answered "no" when the
// queue is empty (as a person closing the box would), and is recorded.
// Installs itself as the box in use while it lives.
#pragma once

#include "framework/CQuestionBox.h"

#include <deque>
#include <vector>

class CScriptedQuestionBox : public CQuestionBox {
public:
    struct Question {
        std::string title;
        std::string text;
        std::string accept;
    };

    CScriptedQuestionBox() { setQuestionBox(this); }
    ~CScriptedQuestionBox() override { setQuestionBox(nullptr); }
    CScriptedQuestionBox(const CScriptedQuestionBox&) = delete;
    CScriptedQuestionBox& operator=(const CScriptedQuestionBox&) = delete;

    // The next question is answered with this.
    void answer(bool accept) { answers_.push_back(accept); }

    bool ask(const std::string& title, const std::string& text, const std::string& accept,
             const std::string&) override
    {
        asked.push_back({title, text, accept});
        if (answers_.empty())
            return false;
        const bool result = answers_.front();
        answers_.pop_front();
        return result;
    }

    std::vector<Question> asked;

private:
    std::deque<bool> answers_;
};

#pragma once
// A prompt for tests: answers questions from a script in order and records everything it was shown.
#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/Prompt.h"

namespace klt::test {

class TScriptedPrompt : public IPrompt {
public:
    struct TShown {
        std::string caption;
        std::string text;
        bool question;
    };

    // Installs itself as the process-wide prompt for its lifetime.
    explicit TScriptedPrompt(std::deque<TPromptAnswer> answers = {}) : answers_(std::move(answers)) { SetPrompt(this); }
    ~TScriptedPrompt() override { SetPrompt(nullptr); }

    TPromptAnswer Ask(const std::string& caption, const std::string& text, TPromptButtons) override {
        shown.push_back({caption, text, true});
        if (answers_.empty()) {
            throw std::logic_error("unexpected question: " + text);
        }
        TPromptAnswer answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    void ShowMessage(const std::string& caption, const std::string& text) override {
        shown.push_back({caption, text, false});
    }

    size_t AnswersLeft() const { return answers_.size(); }
    std::vector<TShown> shown;

private:
    std::deque<TPromptAnswer> answers_;
};

// Forwards to the process-wide prompt: an object that asks through a prompt of its own reaches the
// TScriptedPrompt a test installed.
class TInstalledPrompt : public IPrompt {
public:
    TPromptAnswer Ask(const std::string& caption, const std::string& text, TPromptButtons buttons) override {
        return Prompt().Ask(caption, text, buttons);
    }
    void ShowMessage(const std::string& caption, const std::string& text) override {
        Prompt().ShowMessage(caption, text);
    }
};

inline IPrompt& InstalledPrompt() {
    static TInstalledPrompt prompt;
    return prompt;
}

} // namespace klt::test

#pragma once
// Every question or message for the user goes through one interface: the window program answers
// with message boxes, the command-line tool with its flags or safe defaults, tests with scripts.
#include <string>

namespace klt {

enum class TPromptButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class TPromptAnswer { Ok, Cancel, Yes, No, Retry };

class IPrompt {
public:
    virtual ~IPrompt() = default;
    // A question with the given buttons; `caption` is "Warning", "Attention" or similar.
    virtual TPromptAnswer Ask(const std::string& caption, const std::string& text, TPromptButtons buttons) = 0;
    // A message that only needs to be seen.
    virtual void ShowMessage(const std::string& caption, const std::string& text) = 0;
};

// Writes messages to stderr and answers every question with its most cautious answer: Cancel
// where there is one, else No, else Ok. What a program without a user gets.
class TCautiousPrompt : public IPrompt {
public:
    TPromptAnswer Ask(const std::string& caption, const std::string& text, TPromptButtons buttons) override;
    void ShowMessage(const std::string& caption, const std::string& text) override;
};

// The process-wide prompt; a TCautiousPrompt until a program installs its own.
IPrompt& Prompt();
void SetPrompt(IPrompt* prompt); // nullptr restores the cautious one

} // namespace klt

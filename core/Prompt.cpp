#include "core/Prompt.h"

#include <cstdio>

namespace klt {
namespace {

IPrompt*& Installed() {
    static IPrompt* prompt = nullptr;
    return prompt;
}

} // namespace

TPromptAnswer TCautiousPrompt::Ask(const std::string& caption, const std::string& text, TPromptButtons buttons) {
    ShowMessage(caption, text);
    switch (buttons) {
    case TPromptButtons::Ok:
        return TPromptAnswer::Ok;
    case TPromptButtons::YesNo:
        return TPromptAnswer::No;
    default:
        return TPromptAnswer::Cancel;
    }
}

void TCautiousPrompt::ShowMessage(const std::string& caption, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

IPrompt& Prompt() {
    static TCautiousPrompt cautious;
    return Installed() != nullptr ? *Installed() : cautious;
}

void SetPrompt(IPrompt* prompt) { Installed() = prompt; }

} // namespace klt

#pragma once
// Questions and messages of the engine as message boxes over the active window.
#include "core/Prompt.h"

namespace klt {

class TQtPrompt : public IPrompt {
public:
    TPromptAnswer Ask(const std::string& caption, const std::string& text, TPromptButtons buttons) override;
    void ShowMessage(const std::string& caption, const std::string& text) override;
};

} // namespace klt

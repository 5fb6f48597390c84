#pragma once
// How `klt device` answers a head unit's questions without a user: cautiously, as every command
// does, except that a busy head unit is waited for, which loses nothing.
#include "cli/ProgressBar.h"
#include "core/Prompt.h"

namespace klt::cli {

class TDevicePrompt : public TCautiousPrompt {
public:
    TPromptAnswer Ask(const std::string& caption, const std::string& text, TPromptButtons buttons) override;
    void ShowMessage(const std::string& caption, const std::string& text) override;

    // The progress line a message takes the place of; none when null.
    TProgressLine* progress = nullptr;
};

} // namespace klt::cli

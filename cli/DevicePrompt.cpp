#include "cli/DevicePrompt.h"

#include "device/usb/UsbRequest.h"

namespace klt::cli {

TPromptAnswer TDevicePrompt::Ask(const std::string& caption, const std::string& text, TPromptButtons buttons) {
    if (text == kBusyText) {
        ShowMessage(caption, text);
        return TPromptAnswer::Ok;
    }
    if (progress != nullptr) {
        progress->Clear();
    }
    return TCautiousPrompt::Ask(caption, text, buttons);
}

void TDevicePrompt::ShowMessage(const std::string& caption, const std::string& text) {
    if (progress != nullptr) {
        progress->Clear();
    }
    TCautiousPrompt::ShowMessage(caption, text);
}

} // namespace klt::cli

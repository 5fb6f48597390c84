#include "cli/DevicePrompt.h"

#include "device/usb/UsbRequest.h"

namespace klt::cli {

TPromptAnswer TDevicePrompt::Ask(const std::string& caption, const std::string& text, TPromptButtons buttons) {
    if (text == kBusyText) {
        ShowMessage(caption, text);
        return TPromptAnswer::Ok;
    }
    return TCautiousPrompt::Ask(caption, text, buttons);
}

} // namespace klt::cli

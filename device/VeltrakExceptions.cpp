#include "device/VeltrakExceptions.h"

#include "core/Texts.h"

namespace klt {

EVeltrakTimeout::EVeltrakTimeout(const std::string& portText)
    : EVeltrak(FormatText("Veltrak at port %s is not responding", {portText})) {}

EVeltrakTooOld::EVeltrakTooOld(const std::string& portText)
    : EVeltrak(FormatText("Veltrak at port %s is too old for this program", {portText})) {}

EVeltrakTooNew::EVeltrakTooNew(const std::string& portText)
    : EVeltrak(FormatText("Veltrak at port %s is too new for this program", {portText})) {}

EVeltrakPassword::EVeltrakPassword() : EVeltrak("Invalid Veltrak password") {}

EVeltrakVersion EVeltrakVersion::NoVeltrakV(const std::string& portText) {
    return EVeltrakVersion(FormatText(
        "No Veltrak V found at %s\r\nPlease make sure that the correct Veltrak version is selected",
        {portText}));
}

EVeltrakVersion EVeltrakVersion::NoVeltrakVI() {
    return EVeltrakVersion(
        "No Veltrak VI present.\r\n Please check cable und connect the Veltrak VI to your computer");
}

EVeltrakVersion EVeltrakVersion::NoVeltrakVII() {
    return EVeltrakVersion(
        "No Veltrak VII present.\r\n Please check cable und connect the Veltrak VII to your computer");
}

} // namespace klt

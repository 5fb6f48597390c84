#include "app/MesswertControlRules.h"

#include "core/MesswertSkala.h"

namespace klt {

std::string WithAccelerator(const std::string& caption, char accelerator) {
    if (accelerator == ' ' || accelerator == '\0') {
        return caption;
    }
    std::string text = caption;
    if (const size_t at = text.find(accelerator); at != std::string::npos) {
        text.insert(at, "&");
    }
    return text;
}

void SetSkalaDistance(TMesswertSkala& skala, double distance) {
    if (distance >= 0) {
        skala.SetBereich(distance);
        return;
    }
    const double upper = skala.UpperEnd();
    skala.SetOffset(upper + distance);
    skala.SetUpperEnd(upper);
}

} // namespace klt

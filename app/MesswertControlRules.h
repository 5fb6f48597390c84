#pragma once
// The rules of the controls bound to a measurement kind that do not need a window: accelerators
// in captions and how the scale editor takes a typed width.
#include <string>

namespace klt {

class TMesswertSkala;

// Marks the first occurrence of `accelerator` in `caption` with "&"; " " means none.
std::string WithAccelerator(const std::string& caption, char accelerator);

// A width of 0 or more becomes the scale's width; a negative one moves the window so that its
// lower end lies that far below the old upper end, keeping the upper end.
void SetSkalaDistance(TMesswertSkala& skala, double distance);

} // namespace klt

#pragma once
// A scale as a stored property: its window in raw units and whether its curve is shown.
#include <string_view>

#include "core/MesswertSkala.h"
#include "core/Persistent.h"

namespace klt {

// Lists Offset, Bereich and Visible as the properties of an object called name. The lower end
// comes first, so that setting it cannot clip a wider window that is set next.
void SkalaProperty(TPropertyVisitor& visitor, std::string_view name, TMesswertSkala& skala);

} // namespace klt

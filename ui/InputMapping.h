#pragma once
// Qt's keys, modifiers and buttons as the engine counts them (virtual-key numbers, shift bits).
#include <Qt>
#include <cstdint>

namespace klt {

// The engine's number for a Qt key: arrows, function keys, letters and digits; 0 for others.
int VirtualKey(int qtKey);
uint32_t ShiftState(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);

} // namespace klt

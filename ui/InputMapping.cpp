#include "ui/InputMapping.h"

#include "analysis/DiagramInput.h"

namespace klt {

int VirtualKey(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Left:
        return TKey::Left;
    case Qt::Key_Up:
        return TKey::Up;
    case Qt::Key_Right:
        return TKey::Right;
    case Qt::Key_Down:
        return TKey::Down;
    default:
        break;
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) {
        return TKey::F2 - 1 + (qtKey - Qt::Key_F1);
    }
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) {
        return qtKey; // letters and digits are their upper-case characters
    }
    return 0;
}

uint32_t ShiftState(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    uint32_t shift = 0;
    shift |= modifiers.testFlag(Qt::ShiftModifier) ? TShift::Shift : 0;
    shift |= modifiers.testFlag(Qt::AltModifier) ? TShift::Alt : 0;
    shift |= modifiers.testFlag(Qt::ControlModifier) ? TShift::Ctrl : 0;
    shift |= buttons.testFlag(Qt::LeftButton) ? TShift::Left : 0;
    shift |= buttons.testFlag(Qt::RightButton) ? TShift::Right : 0;
    shift |= buttons.testFlag(Qt::MiddleButton) ? TShift::Middle : 0;
    return shift;
}

} // namespace klt

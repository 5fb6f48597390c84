#include <gtest/gtest.h>

#include "analysis/DiagramInput.h"
#include "ui/InputMapping.h"

namespace klt {
namespace {

TEST(InputMapping, KeysAndShiftBitsAreTheEnginesNumbers) {
    EXPECT_EQ(VirtualKey(Qt::Key_F2), TKey::F2);
    EXPECT_EQ(VirtualKey(Qt::Key_F4), TKey::F4);
    EXPECT_EQ(VirtualKey(Qt::Key_F7), TKey::F7);
    EXPECT_EQ(VirtualKey(Qt::Key_Down), TKey::Down);
    EXPECT_EQ(VirtualKey(Qt::Key_B), 'B');
    EXPECT_EQ(VirtualKey(Qt::Key_7), '7');
    EXPECT_EQ(VirtualKey(Qt::Key_Escape), 0);
    EXPECT_EQ(ShiftState(Qt::ControlModifier | Qt::ShiftModifier, Qt::LeftButton),
              TShift::Ctrl | TShift::Shift | TShift::Left);
    EXPECT_EQ(ShiftState(Qt::AltModifier, Qt::RightButton | Qt::MiddleButton),
              TShift::Alt | TShift::Right | TShift::Middle);
}

} // namespace
} // namespace klt

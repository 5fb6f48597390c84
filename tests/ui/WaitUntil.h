#pragma once
// Lets the window run until a condition holds.
#include <QTest>
#include <functional>

namespace klt::test {

// Generous: only a safety net on a loaded machine, never a measure of speed.
inline bool WaitUntil(const std::function<bool()>& condition) {
    for (int i = 0; i < 1000 && !condition(); ++i) {
        QTest::qWait(20);
    }
    return condition();
}

} // namespace klt::test

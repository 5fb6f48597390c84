#include "online/LiveChartWindow.h"

namespace klt {
namespace {

constexpr int32_t kShortWindow = 1500; // 1/100 s: narrower windows jump a whole width
constexpr int kShortJump = 30;         // samples

} // namespace

TLiveChartWindow::TLiveChartWindow(int32_t timeScaleMode, int32_t time)
    : whole_(timeScaleMode != 1), width_(time / 100 * kSamplesPerSecond),
      step_(time >= kShortWindow ? kShortJump : width_), right_(width_) {}

TSampleRange TLiveChartWindow::Follow(int newest) {
    if (whole_) {
        return {0, newest};
    }
    if (newest > right_) {
        right_ = newest + step_;
    }
    const int first = right_ - width_;
    return first < 0 ? TSampleRange{0, width_} : TSampleRange{first, right_};
}

void TLiveChartWindow::Reset() { right_ = width_; }

} // namespace klt

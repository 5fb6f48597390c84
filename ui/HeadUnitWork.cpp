#include "ui/HeadUnitWork.h"

#include <QTimer>

namespace klt {
namespace {

constexpr int kDrainIntervalMs = 20;

} // namespace

THeadUnitWork::THeadUnitWork(QObject* parent) : QObject(parent), worker_(Prompt()), timer_(new QTimer(this)) {
    timer_->setInterval(kDrainIntervalMs);
    connect(timer_, &QTimer::timeout, this, &THeadUnitWork::Drain);
}

THeadUnitWork::~THeadUnitWork() = default;

bool THeadUnitWork::Run(std::function<void()> work, std::function<void()> done) {
    if (!worker_.Start(std::move(work), std::move(done))) {
        return false;
    }
    timer_->start();
    return true;
}

void THeadUnitWork::Drain() {
    worker_.Drain();
    if (worker_.Idle()) {
        timer_->stop(); // started again with the next work, which `done` may have begun already
    }
}

} // namespace klt

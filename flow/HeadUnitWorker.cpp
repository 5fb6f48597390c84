#include "flow/HeadUnitWorker.h"

#include <algorithm>
#include <chrono>
#include <exception>

namespace klt {

TPromptAnswer THeadUnitWorker::TForwardingPrompt::Ask(const std::string& caption, const std::string& text,
                                                      TPromptButtons buttons) {
    TPromptAnswer answer = TPromptAnswer::Cancel;
    worker_.Invoke([&] { answer = target_.Ask(caption, text, buttons); });
    return answer;
}

void THeadUnitWorker::TForwardingPrompt::ShowMessage(const std::string& caption, const std::string& text) {
    worker_.Invoke([&] { target_.ShowMessage(caption, text); });
}

THeadUnitWorker::THeadUnitWorker(IPrompt& userPrompt)
    : drainingThread_(std::this_thread::get_id()), prompt_(*this, userPrompt) {}

THeadUnitWorker::~THeadUnitWorker() {
    Finish();
}

void THeadUnitWorker::Finish() {
    while (Busy()) {
        RunCalls(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    Join();
    std::lock_guard lock(mutex_);
    calls_.clear();
}

void THeadUnitWorker::Join() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

bool THeadUnitWorker::Start(std::function<void()> work, std::function<void()> done) {
    {
        std::lock_guard lock(mutex_);
        if (busy_) {
            return false;
        }
        busy_ = true;
    }
    Join(); // the thread of the last piece of work has ended, or is about to
    thread_ = std::thread([this, work = std::move(work), done = std::move(done)] {
        try {
            work();
        } catch (...) {
            // the work reports its own failures; nothing may end the program from here
        }
        std::lock_guard lock(mutex_);
        calls_.push_back({done, false});
        busy_ = false;
    });
    return true;
}

bool THeadUnitWorker::Busy() const {
    std::lock_guard lock(mutex_);
    return busy_;
}

bool THeadUnitWorker::Idle() const {
    std::lock_guard lock(mutex_);
    return !busy_ && calls_.empty();
}

void THeadUnitWorker::Post(std::function<void()> call) {
    std::lock_guard lock(mutex_);
    calls_.push_back({std::move(call), false});
}

void THeadUnitWorker::Invoke(const std::function<void()>& call) {
    if (std::this_thread::get_id() == drainingThread_) {
        call();
        return;
    }
    bool finished = false;
    std::exception_ptr failure;
    std::unique_lock lock(mutex_);
    calls_.push_back({[&] {
                          try {
                              call();
                          } catch (...) {
                              failure = std::current_exception();
                          }
                          std::lock_guard answered(mutex_);
                          finished = true;
                          answered_.notify_all();
                      },
                      true});
    answered_.wait(lock, [&] { return finished; });
    lock.unlock();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

void THeadUnitWorker::Drain() {
    RunCalls(false);
}

void THeadUnitWorker::RunCalls(bool waitedForOnly) {
    for (;;) {
        std::function<void()> run;
        {
            std::lock_guard lock(mutex_);
            const auto next = std::find_if(calls_.begin(), calls_.end(),
                                           [&](const TCall& call) { return call.waitedFor || !waitedForOnly; });
            if (next == calls_.end()) {
                return;
            }
            run = std::move(next->run);
            calls_.erase(next);
        }
        if (run) {
            run();
        }
    }
}

} // namespace klt

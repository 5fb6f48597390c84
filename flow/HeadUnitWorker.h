#pragma once
// Head-unit work on a thread of its own, so that the window stays alive while a head unit is read.
// The work reports back by posting calls, which run on the thread that drains the worker (the
// user-interface thread, from a timer); its questions and messages for the user are posted the same
// way and the work waits for the answer. Nothing of the work touches the window directly.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "core/Prompt.h"

namespace klt {

class THeadUnitWorker {
public:
    // Questions of the work go to `userPrompt` on the draining thread: the thread that makes the
    // worker.
    explicit THeadUnitWorker(IPrompt& userPrompt);
    // Lets running work end, answering its questions meanwhile; what it posted besides is dropped,
    // `done` too, since whoever it would report to is going.
    ~THeadUnitWorker();
    THeadUnitWorker(const THeadUnitWorker&) = delete;
    THeadUnitWorker& operator=(const THeadUnitWorker&) = delete;

    // Runs `work` on the worker thread; `done` runs on the draining thread once it has ended, with
    // what it did visible. One piece of work at a time: false, and nothing runs, while one is busy.
    bool Start(std::function<void()> work, std::function<void()> done);
    bool Busy() const;
    // No work runs and nothing it posted waits to be drained.
    bool Idle() const;

    // From the work: `call` runs on the draining thread at its next Drain.
    void Post(std::function<void()> call);
    // From the work: `call` runs on the draining thread and the work waits until it has; what it
    // throws is thrown here. On the draining thread itself it simply runs.
    void Invoke(const std::function<void()>& call);
    // The prompt the work asks through.
    IPrompt& WorkPrompt() { return prompt_; }

    // On the draining thread: waits for running work, answering what it waits for; whatever else it
    // posted is dropped, `done` too. For whoever owns the work and is going.
    void Finish();

    // On the draining thread: runs the calls posted so far, in order. A call may open a window of
    // its own (a message box, a dialog whose buttons start further work): the window system then
    // drains again from inside it, which keeps the order, since the work is waiting for that call
    // or has ended.
    void Drain();

private:
    class TForwardingPrompt : public IPrompt {
    public:
        TForwardingPrompt(THeadUnitWorker& worker, IPrompt& target) : worker_(worker), target_(target) {}
        TPromptAnswer Ask(const std::string& caption, const std::string& text, TPromptButtons buttons) override;
        void ShowMessage(const std::string& caption, const std::string& text) override;

    private:
        THeadUnitWorker& worker_;
        IPrompt& target_;
    };

    struct TCall {
        std::function<void()> run;
        bool waitedFor = false; // the work waits until it has run
    };

    void Join();
    void RunCalls(bool waitedForOnly);

    const std::thread::id drainingThread_;
    TForwardingPrompt prompt_;
    mutable std::mutex mutex_;
    std::condition_variable answered_;
    std::deque<TCall> calls_;
    std::thread thread_;
    bool busy_ = false;
};

} // namespace klt

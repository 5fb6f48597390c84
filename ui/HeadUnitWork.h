#pragma once
// Head-unit work of a dialog, run off the window's thread: the window keeps painting and answering
// the user while a head unit is read, and everything the work reports reaches the window on its
// own thread (a short timer drains the work's posts while it runs).
#include <QObject>
#include <functional>

#include "flow/HeadUnitWorker.h"

class QTimer;

namespace klt {

class THeadUnitWork : public QObject {
public:
    // The work's questions are answered by the program's prompt.
    explicit THeadUnitWork(QObject* parent);
    // Waits for running work, answering its questions; what it reports besides is dropped.
    ~THeadUnitWork() override;

    // Starts `work`; `done` runs on the window's thread after it. False while other work runs.
    bool Run(std::function<void()> work, std::function<void()> done);
    bool Busy() const { return worker_.Busy(); }
    // From the work: `call` runs on the window's thread.
    void Post(std::function<void()> call) { worker_.Post(std::move(call)); }
    // From the work: `call` runs on the window's thread and the work waits for it.
    void Invoke(const std::function<void()>& call) { worker_.Invoke(call); }
    IPrompt& WorkPrompt() { return worker_.WorkPrompt(); }
    // Waits for running work, answering its questions; what it reports besides is dropped. Whoever
    // owns what the work uses calls it before letting that go.
    void Finish() { worker_.Finish(); }

private:
    void Drain();

    THeadUnitWorker worker_;
    QTimer* timer_;
};

} // namespace klt

#pragma once
// The live read thread as the run switches it: suspended while the run is stopped or paused.
#include "device/live/VeltrakReadThread.h"
#include "online/OnlineRunController.h"

namespace klt {

class TReadThreadSwitch : public IReadControl {
public:
    explicit TReadThreadSwitch(TVeltrakReadThread& reader) : reader_(reader) {}
    void Suspend() override { reader_.Suspend(); }
    void Resume() override { reader_.Resume(); }

private:
    TVeltrakReadThread& reader_;
};

} // namespace klt

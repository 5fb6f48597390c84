#pragma once
// A generation VI or 7 head unit behind its USB chip: hears binary requests
// (0xA4 0xB0 0x00 length class code data checksum) and answers each with 0xA4 0xB0, a big-endian
// length, the class and code, the data and an XOR checksum. A request it does not know, or one whose
// checksum is wrong, is answered 0xFF 4 (invalid request); the "busy" fault answers 0xFF 5 and the
// "checksum" fault spoils reply checksums. Its recording memory is read section by section
// (docs/usb-sections.md); clearing it keeps the head unit busy for the next two live-value requests.
// It answers every request under its mutex, so another thread may record a ride meanwhile.
// On an ergometer its live values come from the model, the brake values (3/1) act on it and the
// rider's beat intervals (1/7) are collected.
#include <cstdint>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "tools/sim/BrakeValues.h"
#include "tools/sim/SimClock.h"
#include "tools/sim/SimOptions.h"
#include "tools/sim/SimSections.h"
#include "tools/sim/SimState.h"

namespace klt::sim {

class TLiveErgometer;

class TRequestHeadUnit {
public:
    // `ergometer` may be null: a head unit on a bicycle, its rider at rest.
    explicit TRequestHeadUnit(const TSimOptions& options, TLiveErgometer* ergometer = nullptr);

    // Takes bytes from the computer; returns the replies to every request they complete.
    std::vector<uint8_t> Hear(const std::vector<uint8_t>& bytes);
    // Forgets a request heard only in part (a reset or cycle of the USB chip).
    void DropPartialRequest() { pending_.clear(); }
    // Reports a change of the USB link to the inspectable state.
    template <class F> void Update(F&& change) {
        std::lock_guard lock(mutex_);
        change(state_);
    }
    TSimState Snapshot();
    // The clock when the head unit was made: its memory lies on the days before.
    int64_t StartClock() const { return startClock_; }
    // True once, right after the reply the "unplug" fault pulls the cable after.
    bool UnplugNow();
    // Records one more ride, `minutes` long, from `gapSeconds` after the end of the newest section
    // (of an empty memory: after the clock's time), with that section's initials, interval and
    // calibration (of an empty memory: the settings as they stand). Returns its section.
    TSimSection RideAgain(int minutes, int64_t gapSeconds);
    // Every section recorded since the head unit was made, those cleared since included.
    std::vector<TSimSection> RecordedSections();

private:
    using TKey = std::pair<uint8_t, uint8_t>; // class, code
    std::vector<uint8_t> Answer(uint8_t requestClass, uint8_t code, const std::vector<uint8_t>& data);
    std::vector<uint8_t> ClockBytes();
    std::vector<uint8_t> LiveValueBytes();
    std::vector<uint8_t> BeatBytes();
    std::vector<uint8_t> AnswerBrake(const std::vector<uint8_t>& head, const std::vector<uint8_t>& data);
    bool SetClock(const std::vector<uint8_t>& data);
    std::vector<uint8_t> AnswerMemory(uint8_t code);
    std::vector<uint8_t> NextBlock();
    void CountBlockReply();
    TSimSection CurrentRecording() const;

    const TSimOptions& options_;
    TLiveErgometer* ergometer_;
    TBrakeValues brake_;
    std::mutex mutex_;
    TSimState state_;
    THeadUnitClock clock_;
    std::map<TKey, std::vector<uint8_t>> settings_;
    std::vector<uint8_t> pending_;
    int busyCount_ = 0, checksumCount_ = 0;
    int badClockReadsLeft_; // the "badclock" fault
    int64_t startClock_ = 0;
    std::vector<TSimSection> sections_, recorded_;
    int cursor_ = -1;      // section being read; -1 before the first
    size_t nextRecord_ = 0; // of the current section
    std::vector<uint8_t> lastBlock_;
    int busyAfterClear_ = 0;
    int blockReplies_ = 0;
    bool unplugDue_ = false, unplugged_ = false;
};

// The reply frame around a payload that starts with the class and code.
std::vector<uint8_t> RequestReplyFrame(const std::vector<uint8_t>& payload);

} // namespace klt::sim

#include "tools/sim/RequestHeadUnit.h"

#include <algorithm>

#include "core/KLTDate.h"
#include "tools/sim/LiveErgometer.h"
#include "tools/sim/SimMemory.h"

namespace klt::sim {
namespace {

constexpr uint8_t kStart = 0xA4, kSecond = 0xB0;
constexpr size_t kHeaderSize = 4; // 0xA4 0xB0 0x00 length

const std::vector<uint8_t> kInvalidRequest = {0xFF, 4};
const std::vector<uint8_t> kBusy = {0xFF, 5};

// The lowest firmware that knows a request; older head units answer it as invalid.
int FirstFirmwareKnowing(uint8_t requestClass, uint8_t code) {
    if (requestClass == 1 && code == 12) {
        return 38401;
    }
    if (requestClass != 2) {
        return 0;
    }
    switch (code) {
    case 18:
    case 19:
        return 35088;
    case 20:
        return 38170;
    case 23:
        return 45575;
    default:
        return 0;
    }
}

std::vector<uint8_t> Word(int value) {
    return {static_cast<uint8_t>(value >> 8 & 0xFF), static_cast<uint8_t>(value & 0xFF)};
}

std::vector<uint8_t> Long(uint32_t value) {
    return {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8),
            static_cast<uint8_t>(value)};
}

uint32_t LongAt(const std::vector<uint8_t>& bytes, size_t at) {
    return uint32_t{bytes[at]} << 24 | uint32_t{bytes[at + 1]} << 16 | uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
}

uint8_t Byte(int value) {
    return static_cast<uint8_t>(std::clamp(value, 0, 0xFF));
}

// Offset, limit and slope of 4 bytes each and the divisor.
constexpr size_t kBrakeValuesSize = 13;
constexpr uint8_t kNoBrake = 0, kEddyCurrentBrake = 1;
constexpr int kAmbientTemperature = 215; // 0.1 degrees

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

} // namespace

std::vector<uint8_t> RequestReplyFrame(const std::vector<uint8_t>& payload) {
    const std::vector<uint8_t> length = Word(static_cast<int>(payload.size() + 1));
    std::vector<uint8_t> frame = Concat({{kStart, kSecond}, length, payload});
    uint8_t checksum = 0;
    for (const uint8_t byte : frame) {
        checksum ^= byte;
    }
    frame.push_back(checksum);
    return frame;
}

TRequestHeadUnit::TRequestHeadUnit(const TSimOptions& options, TLiveErgometer* ergometer)
    : options_(options), ergometer_(ergometer), clock_(options.clock.value_or(LocalNowSeconds()), options.speedup),
      badClockReadsLeft_(options.faults.badClockReads) {
    startClock_ = clock_.Now().seconds;
    sections_ = recorded_ = BuildSectionMemory(options, startClock_);
    state_.initials = options.initials;
    state_.intervalTenths = options.intervalTenths;
    std::string initials = options.initials.substr(0, 20);
    initials.resize(20, ' ');
    settings_ = {
        {{2, 1}, Word(250)},  // slope, × 30.558 in use
        {{2, 2}, Word(0)},    // zero offset
        {{2, 3}, Word(ergometer ? 1000 : 2095)}, // wheel circumference; the ergometer's flywheel's
        {{2, 4}, Concat({{1}, Word(100), Word(200), Word(300), Word(400), Word(500)})}, // zones
        {{2, 5}, std::vector<uint8_t>(initials.begin(), initials.end())},
        {{2, 6}, Word(options.intervalTenths * 100)}, // storage interval in ms
        {{2, 7}, {0, 0}},
        {{2, 8}, {0, 0, 0}},
        {{2, 9}, {15, 3, 24, 0x00, 0x12, 0x34}}, // production date and serial number
        {{2, 10}, {1}},
        {{2, 11}, Concat({{1}, Word(60)})},                                // power-down mode and time
        {{2, 12}, {3}},                                                    // value format
        {{2, 13}, Concat({{0, 0, 0, 2}, {0, 1, 0x86, 0xA0}, Word(1234)})}, // odometer
        {{2, 15}, {0}},
        {{2, 16}, {73}},
        {{2, 17}, std::vector<uint8_t>(6, 0)},
        {{2, 18}, {0}},
        {{2, 19}, {0}},
        {{2, 20}, {2}},
        {{2, 23}, Word(0)},
        {{1, 12}, Concat({Word(options.battery), Word(options.batteryWord)})}, // power meter's battery
    };
}

TSimState TRequestHeadUnit::Snapshot() {
    std::lock_guard lock(mutex_);
    TSimState snapshot = state_;
    snapshot.clockSeconds = clock_.Now().seconds;
    return snapshot;
}

TSimSection TRequestHeadUnit::RideAgain(int minutes, int64_t gapSeconds) {
    std::lock_guard lock(mutex_);
    const TSimSection like = sections_.empty() ? CurrentRecording() : sections_.back();
    const int64_t start = (sections_.empty() ? clock_.Now().seconds : SectionEnd(like)) + gapSeconds;
    TRideSchedule schedule = RideScheduleFor(options_, start);
    schedule.rideMinutes = minutes;
    schedule.intervalTenths = std::max(1, like.intervalMs / 100);
    schedule.seed = options_.seed + static_cast<uint32_t>(recorded_.size()); // not the same ride again
    std::vector<TSimSection> added =
        EncodeSectionMemory({BuildRideAt(schedule, start)}, like.settings, schedule.intervalTenths);
    ApplySectionOptions(added, sections_.size() + 1, options_);
    sections_.push_back(added.front());
    recorded_.push_back(added.front());
    return added.front();
}

std::vector<TSimSection> TRequestHeadUnit::RecordedSections() {
    std::lock_guard lock(mutex_);
    return recorded_;
}

// What a new section is recorded with when there is none to take after.
TSimSection TRequestHeadUnit::CurrentRecording() const {
    auto word = [&](TKey key) {
        const std::vector<uint8_t>& value = settings_.at(key);
        return value[0] << 8 | value[1];
    };
    TSimSection section;
    section.intervalMs = word({2, 6});
    section.settings.slope = word({2, 1});
    section.settings.zeroOffset = static_cast<int16_t>(word({2, 2}));
    section.settings.wheel = word({2, 3});
    const std::vector<uint8_t>& initials = settings_.at({2, 5});
    section.settings.initials.assign(initials.begin(), initials.end());
    section.settings.initials.erase(section.settings.initials.find_last_not_of(' ') + 1);
    return section;
}

std::vector<uint8_t> TRequestHeadUnit::Hear(const std::vector<uint8_t>& bytes) {
    std::lock_guard lock(mutex_);
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    std::vector<uint8_t> replies;
    for (;;) {
        // Line noise before a request is skipped up to the next possible start.
        const auto start = std::find(pending_.begin(), pending_.end(), kStart);
        pending_.erase(pending_.begin(), start);
        if (pending_.size() < kHeaderSize) {
            return replies;
        }
        if (pending_[1] != kSecond || pending_[2] != 0 || pending_[3] < 3) {
            pending_.erase(pending_.begin());
            continue;
        }
        const size_t total = kHeaderSize + pending_[3];
        if (pending_.size() < total) {
            return replies;
        }
        const std::vector<uint8_t> request(pending_.begin(), pending_.begin() + static_cast<long>(total));
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(total));
        // The checksum leaves out the byte just before it.
        uint8_t checksum = 0;
        for (size_t i = 0; i + 2 < total; ++i) {
            checksum ^= request[i];
        }
        const uint8_t requestClass = request[4], code = request[5];
        const std::vector<uint8_t> data(request.begin() + 6, request.end() - 1);
        std::vector<uint8_t> payload;
        if (checksum != request.back()) {
            ++state_.badChecksumsHeard;
            payload = kInvalidRequest;
        } else if (options_.faults.busyEvery > 0 && ++busyCount_ % options_.faults.busyEvery == 0) {
            ++state_.faultsInjected;
            payload = kBusy;
        } else if (busyAfterClear_ > 0 && requestClass == 1 && code == 6) {
            --busyAfterClear_; // still clearing the memory
            state_.usbRequests.push_back({requestClass, code, data});
            payload = kBusy;
        } else {
            state_.usbRequests.push_back({requestClass, code, data});
            payload = options_.Firmware() >= FirstFirmwareKnowing(requestClass, code)
                          ? Answer(requestClass, code, data)
                          : kInvalidRequest;
        }
        std::vector<uint8_t> frame = RequestReplyFrame(payload);
        if (options_.faults.checksumEvery > 0 && ++checksumCount_ % options_.faults.checksumEvery == 0) {
            ++state_.faultsInjected;
            frame.back() ^= 0x5A;
        }
        replies.insert(replies.end(), frame.begin(), frame.end());
    }
}

std::vector<uint8_t> TRequestHeadUnit::Answer(uint8_t requestClass, uint8_t code,
                                              const std::vector<uint8_t>& data) {
    const std::vector<uint8_t> head = {requestClass, code};
    const TKey key{requestClass, code};
    if (key == TKey{1, 1} && data.empty()) {
        return Concat({head, Word(options_.Firmware())});
    }
    if (key == TKey{1, 6} && data.empty()) {
        return Concat({head, LiveValueBytes()});
    }
    if (key == TKey{1, 7} && data.empty()) {
        return Concat({head, BeatBytes()});
    }
    if (key == TKey{3, 1}) {
        return AnswerBrake(head, data);
    }
    if (key == TKey{2, 14}) {
        if (data.empty()) {
            return Concat({head, ClockBytes()});
        }
        return SetClock(data) ? head : kInvalidRequest;
    }
    if (requestClass == 4 && code <= 5 && data.empty()) {
        const std::vector<uint8_t> answer = AnswerMemory(code);
        return answer.empty() ? kInvalidRequest : Concat({head, answer});
    }
    if (key == TKey{4, 7}) { // a new recording: the memory is cleared, which takes a while
        sections_.clear();
        cursor_ = -1;
        lastBlock_.clear();
        busyAfterClear_ = 2;
        ++state_.recordingsStarted;
        ++state_.memoryClears;
        return head;
    }
    const auto setting = settings_.find(key);
    if (setting == settings_.end()) {
        return kInvalidRequest;
    }
    if (data.empty()) {
        return Concat({head, setting->second});
    }
    if (data.size() != setting->second.size()) {
        return kInvalidRequest;
    }
    setting->second = data;
    if (key == TKey{2, 5}) {
        state_.initials.assign(data.begin(), data.end());
    }
    if (key == TKey{2, 6}) {
        state_.intervalTenths = (data[0] << 8 | data[1]) / 100;
    }
    return head;
}

bool TRequestHeadUnit::UnplugNow() {
    const bool due = unplugDue_;
    unplugDue_ = false;
    return due;
}

void TRequestHeadUnit::CountBlockReply() {
    ++blockReplies_;
    if (!unplugged_ && options_.faults.unplugAfterBlocks > 0 && blockReplies_ == options_.faults.unplugAfterBlocks) {
        unplugged_ = unplugDue_ = true;
        ++state_.faultsInjected;
    }
}

// The payload after class and code of a memory request (class 4, codes 1 to 5); empty when the
// request makes no sense where the read cursor stands.
std::vector<uint8_t> TRequestHeadUnit::AnswerMemory(uint8_t code) {
    const bool inSection = cursor_ >= 0 && static_cast<size_t>(cursor_) < sections_.size();
    switch (code) {
    case 1: // count, and back to before the first section
        cursor_ = -1;
        lastBlock_.clear();
        ++state_.sectionCounts;
        return Word(static_cast<int>(std::min<size_t>(sections_.size(), 0xFFFF)));
    case 2: // next section's header
        if (static_cast<size_t>(cursor_ + 1) >= sections_.size()) {
            return {};
        }
        ++cursor_;
        nextRecord_ = 0;
        lastBlock_.clear();
        ++state_.sectionsRead;
        return SectionHeaderBytes(sections_[static_cast<size_t>(cursor_)]);
    case 3: // the current header again
        if (!inSection) {
            return {};
        }
        ++state_.headerRepeats;
        return SectionHeaderBytes(sections_[static_cast<size_t>(cursor_)]);
    case 4: // next block
        if (!inSection) {
            return {};
        }
        lastBlock_ = NextBlock();
        ++state_.blocksSent;
        CountBlockReply();
        return lastBlock_;
    case 5: // the last block again
        if (lastBlock_.empty()) {
            return {};
        }
        ++state_.blocksSent;
        ++state_.blockRepeats;
        CountBlockReply();
        return lastBlock_;
    default:
        return {};
    }
}

// Up to 32 records; the end record follows the last sample in the same block when there is room,
// and comes alone when a full block took the last samples (or when asked again after the end).
// With "end every block" each block leaves room for the end record and carries it.
std::vector<uint8_t> TRequestHeadUnit::NextBlock() {
    const std::vector<TSectionRecord>& records = sections_[static_cast<size_t>(cursor_)].records;
    const size_t room = options_.endEveryBlock ? kSectionBlockRecords - 1 : kSectionBlockRecords;
    std::vector<uint8_t> block;
    size_t count = 0;
    for (; count < room && nextRecord_ < records.size(); ++count, ++nextRecord_) {
        block.insert(block.end(), records[nextRecord_].begin(), records[nextRecord_].end());
    }
    if (count < kSectionBlockRecords) {
        const TSectionRecord end = SectionEndRecord();
        block.insert(block.end(), end.begin(), end.end());
    }
    return block;
}

std::vector<uint8_t> TRequestHeadUnit::ClockBytes() {
    const int64_t seconds = clock_.Now().seconds;
    TCivilDate date = CivilFromDaysSince1880(static_cast<int32_t>(seconds / 86400) + kClockEpochDay);
    if (badClockReadsLeft_ > 0) {
        --badClockReadsLeft_;
        date.day = 31; // 31 February
        date.month = 2;
        ++state_.faultsInjected;
    }
    const int secondOfDay = static_cast<int>(seconds % 86400);
    return Concat({{static_cast<uint8_t>(date.day), static_cast<uint8_t>(date.month)},
                   Word(date.year),
                   {static_cast<uint8_t>(secondOfDay / 3600), static_cast<uint8_t>(secondOfDay / 60 % 60),
                    static_cast<uint8_t>(secondOfDay % 60)}});
}

bool TRequestHeadUnit::SetClock(const std::vector<uint8_t>& data) {
    if (data.size() != 7) {
        return false;
    }
    TCivilDate date;
    date.day = data[0];
    date.month = data[1];
    date.year = data[2] << 8 | data[3];
    if (!IsValidCivilDate(date) || date.year < 1970 || data[4] > 23 || data[5] > 59 || data[6] > 59) {
        return false;
    }
    clock_.Set(SecondsFromCivil(date, data[4] * 3600 + data[5] * 60 + data[6]));
    return true;
}

// Power, cadence, speed, heart rate, two bytes unused and the temperature; a rider at rest
// without an ergometer.
std::vector<uint8_t> TRequestHeadUnit::LiveValueBytes() {
    const TErgometerReading r = ergometer_ ? ergometer_->Reading() : TErgometerReading{};
    return Concat({Word(std::clamp(r.power, 0, 0xFFFF)), {Byte(r.cadence)},
                   Word(std::clamp(SpeedTenthsKmh(r.speed), 0, 0xFFFF)),
                   {Byte(r.heartRate), 0, 0}, Word(kAmbientTemperature)});
}

// The count, the beats lost and the intervals since the previous read; none off the ergometer.
std::vector<uint8_t> TRequestHeadUnit::BeatBytes() {
    const TBeatBatch beats = ergometer_ ? ergometer_->TakeBeats() : TBeatBatch{};
    std::vector<uint8_t> bytes = {static_cast<uint8_t>(beats.intervals.size()), static_cast<uint8_t>(beats.lost)};
    for (const uint16_t interval : beats.intervals) {
        const std::vector<uint8_t> word = Word(interval);
        bytes.insert(bytes.end(), word.begin(), word.end());
    }
    return bytes;
}

std::vector<uint8_t> TRequestHeadUnit::AnswerBrake(const std::vector<uint8_t>& head, const std::vector<uint8_t>& data) {
    if (data.empty()) {
        return Concat({head, Long(brake_.offset), Long(brake_.limit), Long(brake_.slope),
                       {brake_.divisor, ergometer_ ? kEddyCurrentBrake : kNoBrake}});
    }
    // A divisor of 0 would leave the brake's excitation undefined.
    if (data.size() != kBrakeValuesSize || data[12] == 0) {
        return kInvalidRequest;
    }
    brake_ = {LongAt(data, 0), LongAt(data, 4), LongAt(data, 8), data[12]};
    if (ergometer_) {
        ergometer_->SetBrake(brake_);
    }
    return head;
}

} // namespace klt::sim

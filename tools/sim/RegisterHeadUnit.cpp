#include "tools/sim/RegisterHeadUnit.h"

#include <algorithm>
#include <numeric>

namespace klt::sim {
namespace {

constexpr uint8_t kEot = 0x04, kNak = 0x15, kSpace = 0x20;
constexpr int kInterByteMs = 50; // a request arrives as one block
constexpr int kPasswordVersion = 240, kExtendedVersion = 300;

// Multi-byte register values go high byte first.
void Put16(uint8_t* at, int value) {
    at[0] = static_cast<uint8_t>((value >> 8) & 0xFF);
    at[1] = static_cast<uint8_t>(value & 0xFF);
}
void Put32(uint8_t* at, uint32_t value) {
    Put16(at, static_cast<int>(value >> 16));
    Put16(at + 2, static_cast<int>(value & 0xFFFF));
}
int Get16(const uint8_t* at) {
    return at[0] << 8 | at[1];
}
uint32_t Get32(const uint8_t* at) {
    return uint32_t(Get16(at)) << 16 | uint32_t(Get16(at + 2));
}

void SpoilChecksum(std::vector<uint8_t>& reply) {
    reply.back() = static_cast<uint8_t>(reply.back() + 1);
}

} // namespace

uint8_t RegisterChecksum(const uint8_t* bytes, int count) {
    const int sum = std::accumulate(bytes, bytes + count, 0);
    return static_cast<uint8_t>(-sum & 0xFF);
}

TRegisterHeadUnit::TRegisterHeadUnit(THeadUnitContext& context) : context_(context) {
    const TSimOptions& options = context.Options();
    const int tenths = options.intervalTenths;
    const int divisor = std::gcd(tenths, 10);
    settings_ = {tenths / divisor, 10 / divisor, 512, 3056, 2105};
    const TRideSchedule schedule = RideScheduleFor(options, context.ClockNow().seconds);
    memory_ = EncodeRegisterMemory(BuildSimRides(schedule), settings_, tenths);
    // Live values replay a ride of its own, whatever the memory holds.
    const auto live = BuildSimRides({1, 30, 10, options.seed + 1, options.initials, schedule.now});
    live_ = live.front().segments.front().samples;
    accessLevel_ = options.password == 0 || Version() < kPasswordVersion ? options.accessLevel : 0;
    context_.Update([&](TSimState& s) { s.accessLevel = accessLevel_; });
    stored_[16] = {0, 0, 0, 1};       // normal mode, DD.MM.YY, km/h, km
    stored_[43] = {1, 1, 1, 1};       // display shows power, cadence, heart rate, speed
    stored_[44] = {3, 3, 3, 3};       // display smoothing
    stored_[38] = {0, 0, 0, 72};      // brake offset 0, no brake, processor clock 72 x 102400 Hz
    stored_[39] = {0, 0, 0x01, 0x90}; // brake limit 400
    stored_[40] = {0, 100, 4, 0};     // brake slope 100, divider 4
}

int TRegisterHeadUnit::UpperCount() const {
    return Version() < kExtendedVersion ? 0
                                        : std::min(context_.Options().upperRecords, static_cast<int>(memory_.size()));
}

void TRegisterHeadUnit::Serve() {
    TSimLine& line = context_.Line();
    while (!line.Stopping()) {
        const auto byte = line.Receive(100);
        if (!byte) {
            continue;
        }
        if (*byte == kNak && !lastReply_.empty()) {
            // The computer found the reply spoilt: say it again.
            context_.Update([](TSimState& s) { ++s.repeatsRequested; });
            context_.Reply(lastReply_, SpoilChecksum); // a checksum fault may strike the repeat too
            continue;
        }
        if (*byte != kEot) {
            continue;
        }
        uint8_t request[9] = {kEot};
        int got = 1;
        while (got < 9) {
            const auto next = line.Receive(kInterByteMs);
            if (!next) {
                break;
            }
            request[got++] = *next;
        }
        if (got == 9) {
            Answer(request);
        }
    }
}

// Request: EOT, address, space, register, four data bytes, checksum over space to the data.
void TRegisterHeadUnit::Answer(const uint8_t* request) {
    if (request[1] != kRegisterAddress || request[2] != kSpace) {
        return; // meant for another head unit on the line
    }
    if (RegisterChecksum(request + 2, 6) != request[8]) {
        context_.Update([](TSimState& s) { ++s.badChecksumsHeard; });
        context_.Reply({kNak});
        return;
    }
    if (context_.RefuseThisTelegram()) {
        context_.Reply({kNak});
        return;
    }
    const int reg = request[3];
    const uint8_t* data = request + 4;
    static const std::vector<int> kWriteRegisters = {2, 4, 11, 13, 15, 26, 32, 35, 36, 37, 50, 51};
    const bool write =
        std::find(kWriteRegisters.begin(), kWriteRegisters.end(), reg) != kWriteRegisters.end();
    const TRegisterBlock block = write ? Write(reg, data) : Read(reg, data);
    // Reply: EOT, space, address, status, four data bytes, checksum over address to the data.
    const auto address = static_cast<uint8_t>(context_.Options().address);
    std::vector<uint8_t> reply = {kEot, kSpace, address, block[0], block[1], block[2], block[3], block[4]};
    reply.push_back(RegisterChecksum(reply.data() + 2, 6));
    lastReply_ = reply;
    context_.Reply(reply, SpoilChecksum);
}

TRegisterHeadUnit::TRegisterBlock TRegisterHeadUnit::Read(int reg, const uint8_t* data) {
    context_.Update([](TSimState& s) { ++s.registerReads; });
    const TClockReading clock = context_.ClockNow();
    const TRideSample& live = live_[static_cast<size_t>(clock.seconds % static_cast<int64_t>(live_.size()))];
    const int version = Version();
    TRegisterBlock block{};
    uint8_t* d = block.data() + 1;
    if (auto kept = stored_.find(reg); kept != stored_.end()) {
        std::copy(kept->second.begin(), kept->second.end(), d);
    }
    switch (reg) {
    case 1:
        Put16(d, settings_.zeroOffset);
        Put16(d + 2, settings_.slope);
        break;
    case 3:
        Put16(d + 2, settings_.wheel);
        break;
    case 5: {
        // The crank's frequency: zero offset plus torque times slope (slope in 1/305.58 Hz/Nm).
        const double torque = live.cadence > 0 ? live.powerWatts * 60.0 / (6.2832 * live.cadence) : 0.0;
        Put16(d, settings_.zeroOffset + static_cast<int>(torque * settings_.slope / 305.58));
        d[2] = static_cast<uint8_t>(version / 100);
        d[3] = static_cast<uint8_t>(version % 100);
        block[0] = static_cast<uint8_t>(version >= kPasswordVersion ? accessLevel_ : 0);
        break;
    }
    case 8:
        d[0] = static_cast<uint8_t>(settings_.numerator);
        Put16(d + 1, LowerCount());
        break;
    case 12: {
        const int index = Get16(data);
        TMemoryRecord record{0xFF, 0xFF, 0xFF, 0xFF, 0xFF}; // beyond the recordings: empty memory
        // The lower part counts up from 0; the newest records fill the upper part from its end down.
        const int upperIndex = kRegisterMemoryRecords - 1 - index;
        if (!Locked() && index < LowerCount()) {
            record = memory_[static_cast<size_t>(index)];
        } else if (!Locked() && upperIndex >= 0 && upperIndex < UpperCount()) {
            record = memory_[static_cast<size_t>(LowerCount() + upperIndex)];
        }
        std::copy(record.begin(), record.end(), block.begin());
        break;
    }
    case 14:
        Put32(d, static_cast<uint32_t>(clock.seconds));
        block[0] = static_cast<uint8_t>(version >= kPasswordVersion ? clock.hundredths : 0);
        break;
    case 18:
        d[2] = 20; // switches off after 2000 s
        break;
    case 19:
        Put16(d, live.powerWatts / 8);
        Put16(d + 2, live.speed * 36 / 1000); // 0.1 km/h
        break;
    case 20:
        Put16(d, live.cadence);
        Put16(d + 2, live.heartRate);
        break;
    case 21: {
        const std::string& initials = context_.Options().initials;
        for (size_t i = 0; i < 3; ++i) {
            d[1 + i] = i < initials.size() ? static_cast<uint8_t>(initials[i]) : 0xFE;
        }
        break;
    }
    case 24:
        Put16(d, 4180); // km this year
        d[2] = 20;
        break;
    case 29:
        Put32(d, 1234567); // seconds in operation
        break;
    case 31:
        block[0] = 0x80; // display fitted, no key held
        d[0] = static_cast<uint8_t>(settings_.denominator);
        d[3] = 1; // clock running
        break;
    case 33:
        Put16(d, 20);
        d[2] = static_cast<uint8_t>(context_.Options().address);
        break;
    case 45:
        Put16(d, 1);
        Put16(d + 2, 12); // currents off and idle (mA)
        break;
    case 46:
        Put16(d, 35);
        Put16(d + 2, 250); // currents active and charging
        break;
    case 47:
        Put32(d, 2000); // largest charge (mAh)
        break;
    case 48:
        Put16(d, kRegisterMemoryRecords);
        Put16(d + 2, UpperCount());
        break;
    case 57:
        Put16(d, -35 & 0xFFFF);
        Put16(d + 2, 1800);
        break;
    case 60:
        Put16(d, live.temperature / 5);
        break;
    default:
        break;
    }
    if (reg >= 43 && version < kExtendedVersion) {
        block = {}; // registers this firmware does not have read as zero
    }
    return block;
}

TRegisterHeadUnit::TRegisterBlock TRegisterHeadUnit::Write(int reg, const uint8_t* data) {
    TRegisterWrite write{reg, {data[0], data[1], data[2], data[3]}, true};
    if (reg == 26) {
        const uint32_t password = Get32(data);
        const bool accepted =
            password == context_.Options().password && !context_.Options().faults.refusePassword;
        if (accepted) {
            accessLevel_ = context_.Options().accessLevel;
        }
        write.applied = accepted;
        context_.Update([&](TSimState& s) {
            s.passwordAttempts.push_back(password);
            s.passwordsAccepted += accepted ? 1 : 0;
            s.accessLevel = accessLevel_;
            s.registerWrites.push_back(write);
        });
        return {static_cast<uint8_t>(accessLevel_), 0, 0, 0, 0};
    }
    if (Locked()) {
        write.applied = false;
        context_.Update([&](TSimState& s) { s.registerWrites.push_back(write); });
        return {};
    }
    switch (reg) {
    case 2:
        settings_.zeroOffset = Get16(data);
        settings_.slope = Get16(data + 2);
        break;
    case 4:
        settings_.wheel = Get16(data + 2);
        break;
    case 11:
        SetInterval(data[0], settings_.denominator);
        break;
    case 32:
        SetInterval(settings_.numerator, data[0]);
        break;
    case 13:
        context_.SetClock(int64_t{Get32(data)});
        break;
    case 15:
        stored_[16] = write.data;
        break;
    case 35: // brake offset; type and processor clock stay
        std::copy(data, data + 2, stored_[38].begin());
        break;
    case 36: // brake limit
        std::copy(data, data + 4, stored_[39].begin());
        break;
    case 37: // brake slope and divider
        std::copy(data, data + 3, stored_[40].begin());
        break;
    case 50:
    case 51:
        stored_[reg - 7] = write.data;
        break;
    default:
        break;
    }
    context_.Update([&](TSimState& s) { s.registerWrites.push_back(write); });
    return {0, data[0], data[1], data[2], data[3]};
}

void TRegisterHeadUnit::SetInterval(int numerator, int denominator) {
    settings_.numerator = numerator;
    settings_.denominator = denominator > 0 ? denominator : 1;
    context_.Update([&](TSimState& s) { s.intervalTenths = numerator * 10 / settings_.denominator; });
}

} // namespace klt::sim

#pragma once
// What a simulated head unit is: its generation, firmware, password, memory contents and the faults
// it shows. Mirrors the klt-sim command line one to one.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/sim/HeartBeats.h"
#include "tools/sim/Rider.h"

namespace klt::sim {

// How telemetry frames travel: "J" and the raw bytes, or 0x02, the bytes as character pairs, 0x03.
enum class TTelemetryEncoding { Binary, Text };

// Misbehaviour on demand. A count of 0 switches a fault off.
struct TSimFaults {
    int checksumEvery = 0;       // "checksum=N": every n-th register reply carries a wrong checksum;
                                 // on generation V every n-th memory block goes out with line noise
    int dropEvery = 0;           // "drop=N": every n-th reply loses one byte
    int delayMs = 0;             // "delay=MS": every reply comes this much later
    int nakEvery = 0;            // "nak=N": every n-th telegram is answered with 0x15 (register
                                 // protocol) or left unacknowledged (generation V)
    bool only4800 = false;       // "baud4800=1": hears and answers only at 4800 baud
    bool refusePassword = false; // "refusepassword=1": no password unlocks the head unit
    int busyEvery = 0;           // "busy=N": every n-th USB request is answered busy (0xFF 5)
    int unplugAfterBlocks = 0;   // "unplug=N": the USB head unit is pulled out after its n-th sample
                                 // block reply (once; plugged in again, its memory is intact)
    int badClockReads = 0;       // "badclock=N": generations V to 7 answer the first n clock reads
                                 // with 31 February (the year and time stay right)
    int badDateEvery = 0;        // "baddate=N": generation V: every n-th memory block has minute
                                 // digit 0xA; generations 6 and 7: every n-th section header month 13
    int headlessBlocks = 0;      // "headless=N": generation V: the memory starts with n blocks of an
                                 // older ride whose training start was overwritten (wrapped around)
    int extraRecords = 0;        // "extrarecords=N": generations 6 and 7: every section header counts n
                                 // records fewer than the section's blocks carry
    // Telemetry, every n-th frame: "bad-checksum=N" a wrong checksum, "short-frame=N" cut short,
    // "rider-ff=N" rider number 0xFF (the checksum still that of the true number).
    int telemetryChecksumEvery = 0;
    int shortFrameEvery = 0;
    int riderFfEvery = 0;
    // The ergometer's rider: "missed-beat=N" every n-th heart beat goes undetected, "extra-beat=N"
    // every n-th beat interval is detected as two.
    TBeatFaults beats;
};

struct TSimOptions {
    int generation = 5;          // 4: register telegrams; 5: character telegrams; 6, 7: USB requests
    std::optional<int> firmware; // register version (IV, e.g. 314) or firmware word (V, e.g. 0x430A)
    uint32_t password = 0;       // 0: not protected
    int accessLevel = 2;         // level granted once unlocked: 1 athlete, 2 trainer, 3 internal
    std::string initials = "KLT";
    std::optional<int64_t> clock; // head-unit seconds since 1970-01-01 (local time); default now
    int intervalTenths = 10;      // storage interval in tenths: 1 to 9, or whole seconds 10 to 320
    int rides = 2;                // rides in the recording memory
    int rideMinutes = 30;         // length of each ride
    int longRideSamples = 0;      // generations 6 and 7: one more ride of this many samples
    int upperRecords = 0;         // generation 4: the newest records lie in the memory's upper part
    int address = 0x30;           // generation 4: the multi-processor address it answers from; it
                                  // still hears only requests to 0x30
    uint32_t seed = 1;            // same seed, same memory
    std::optional<int> temperature;  // degC the rides start at (generations V to 7); default 16.5
    std::optional<int> odometerYear; // generation V: the year its distance counter counts (4180 km);
                                     // default the year of its clock
    char powerDownMode = '0';        // generation V "v": '0', '1', '2' or '4'
    int powerDownSeconds = 0;        // and its time, 0 to 65535
    int battery = 1200;              // generations 6 and 7, request 1/12: the power meter's battery in
                                     // hours x 10, or -5 critical, -4 low, -3 ok, -2 good, -1 new;
                                     // 32767: no power meter
    int batteryWord = 0;             // the word after it, 0 to 65535
    TSimFaults faults;
    bool ergometer = false;       // generations 6 and 7: a rider on a flywheel with an eddy-current brake
    TRiderKind rider = TRiderKind::Steady;
    int speedup = 1;              // simulated time runs this many times faster than real time
    int telemetryRiders = 0;      // 1 or 2: telemetry frames on a pseudo-terminal of their own
    TTelemetryEncoding telemetryEncoding = TTelemetryEncoding::Binary;
    int telemetryStatusEvery = 0; // every n-th telemetry cycle a status message goes first
    uint8_t featureByte = 0x80;   // generation V "x" reply: bit 7 telemetry, bit 5 wants "X" "0"
    int replyDelayMs = 2;         // how long the head unit thinks before it answers
    int blockAckTimeoutMs = 4000; // a download stops when a block stays unacknowledged this long
    bool lineRate = false;        // USB replies take as long as at 38,400 baud (10 bits a byte)
    bool endEveryBlock = false;   // generations 6 and 7: every sample block ends with the end record,
                                  // after at most 31 records
    int leadingPauses = 0;        // generations 6 and 7: every section begins with this many pause
                                  // records, its start that many intervals before its first sample;
                                  // together whole seconds, at most 30

    int Firmware() const {
        return firmware.value_or(generation == 4 ? 314 : generation == 5 ? 0x7700 : 0xE517);
    }
    // The line speed the head unit listens and answers at.
    int Baud() const { return faults.only4800 ? 4800 : generation == 4 ? 19200 : 9600; }
};

struct ESimUsage : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Reads the command line (without the program name). Throws ESimUsage naming what is wrong.
// Sets `help` when --help was given.
TSimOptions ParseSimArguments(const std::vector<std::string>& args, bool& help);

// The text of `klt-sim --help`.
std::string SimUsageText();

} // namespace klt::sim

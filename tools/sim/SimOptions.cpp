#include "tools/sim/SimOptions.h"

#include <cstdio>
#include <limits>
#include <optional>
#include <utility>

#include "core/KLTDate.h"
#include "tools/sim/SimClock.h"
#include "tools/sim/SimMemory.h"

namespace klt::sim {
namespace {

constexpr int kMaxLeadingPauseTenths = 300;

// A whole number in decimal or, with "0x", hexadecimal; nothing else may follow it. A minus sign
// only where the range goes below zero.
int64_t ParseNumber(const std::string& option, const std::string& text, int64_t low, int64_t high) {
    const bool negative = low < 0 && !text.empty() && text[0] == '-';
    const std::string magnitude = negative ? text.substr(1) : text;
    const bool hex = magnitude.size() > 2 && magnitude[0] == '0' && (magnitude[1] == 'x' || magnitude[1] == 'X');
    const std::string digits = hex ? magnitude.substr(2) : magnitude;
    if (digits.empty() || digits.size() > 10) {
        throw ESimUsage(option + ": \"" + text + "\" is not a number");
    }
    int64_t value = 0;
    for (const char c : digits) {
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (hex && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (hex && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        }
        if (digit < 0) {
            throw ESimUsage(option + ": \"" + text + "\" is not a number");
        }
        value = value * (hex ? 16 : 10) + digit;
    }
    if (negative) {
        value = -value;
    }
    if (value < low || value > high) {
        throw ESimUsage(option + ": " + text + " is out of range " + std::to_string(low) + ".." +
                        std::to_string(high));
    }
    return value;
}

// "1", "2", "0.5": tenths of a second the head unit can store at.
int ParseInterval(const std::string& text) {
    const size_t point = text.find('.');
    const std::string whole = text.substr(0, point);
    const std::string tenth = point == std::string::npos ? "0" : text.substr(point + 1);
    if (whole.empty() || tenth.size() != 1) {
        throw ESimUsage("--interval: \"" + text + "\" is not a number of seconds like 1, 2 or 0.5");
    }
    const int tenths = static_cast<int>(ParseNumber("--interval", whole, 0, 32) * 10 +
                                        ParseNumber("--interval", tenth, 0, 9));
    if (tenths < 1 || (tenths >= 10 && tenths % 10 != 0)) {
        throw ESimUsage("--interval: " + text +
                        " s cannot be stored; use 0.1 to 0.9 or whole seconds 1 to 32");
    }
    return tenths;
}

// "YYYY-MM-DD HH:MM:SS" (or with "T") in the head unit's local time.
int64_t ParseClock(const std::string& text) {
    TCivilDate date;
    int hour = 0, minute = 0, second = 0;
    char separator = 0;
    int consumed = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d%n", &date.year, &date.month, &date.day,
                    &separator, &hour, &minute, &second, &consumed) != 7 ||
        static_cast<size_t>(consumed) != text.size() || (separator != ' ' && separator != 'T') ||
        !IsValidCivilDate(date) || date.year < 2000 || date.year > 2099 || hour > 23 || minute > 59 ||
        second > 59) {
        throw ESimUsage("--clock: \"" + text +
                        "\" is not a time like 2026-12-09 14:30:00 (years 2000 to 2099)");
    }
    return SecondsFromCivil(date, hour * 3600 + minute * 60 + second);
}

// "FIRST" or "FIRST,SECOND".
std::pair<std::string, std::optional<std::string>> SplitAtComma(const std::string& text) {
    const size_t comma = text.find(',');
    if (comma == std::string::npos) {
        return {text, std::nullopt};
    }
    return {text.substr(0, comma), text.substr(comma + 1)};
}

// "MODE[,SECONDS]" as the "v" command carries them.
void ParsePowerDown(const std::string& text, TSimOptions& options) {
    const auto [mode, seconds] = SplitAtComma(text);
    if (mode != "0" && mode != "1" && mode != "2" && mode != "4") {
        throw ESimUsage("--power-down: mode \"" + mode + "\" is not 0, 1, 2 or 4");
    }
    options.powerDownMode = mode[0];
    options.powerDownSeconds =
        seconds ? static_cast<int>(ParseNumber("--power-down", *seconds, 0, 0xFFFF)) : 0;
}

// "VALUE[,WORD]" as request 1/12 answers them.
void ParseBattery(const std::string& text, TSimOptions& options) {
    const auto [value, word] = SplitAtComma(text);
    options.battery = static_cast<int>(ParseNumber("--battery", value, -5, 0x7FFF));
    options.batteryWord = word ? static_cast<int>(ParseNumber("--battery", *word, 0, 0xFFFF)) : 0;
}

void ParseFault(const std::string& text, TSimFaults& faults) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos) {
        throw ESimUsage("--fault: \"" + text + "\" is not NAME=VALUE");
    }
    const std::string name = text.substr(0, equals);
    const std::string value = text.substr(equals + 1);
    auto count = [&] { return static_cast<int>(ParseNumber("--fault " + name, value, 0, 1000000)); };
    auto flag = [&] { return ParseNumber("--fault " + name, value, 0, 1) == 1; };
    if (name == "checksum") {
        faults.checksumEvery = count();
    } else if (name == "drop") {
        faults.dropEvery = count();
    } else if (name == "delay") {
        faults.delayMs = static_cast<int>(ParseNumber("--fault delay", value, 0, 60000));
    } else if (name == "nak") {
        faults.nakEvery = count();
    } else if (name == "baud4800") {
        faults.only4800 = flag();
    } else if (name == "refusepassword") {
        faults.refusePassword = flag();
    } else if (name == "busy") {
        faults.busyEvery = count();
    } else if (name == "unplug") {
        faults.unplugAfterBlocks = count();
    } else if (name == "badclock") {
        faults.badClockReads = count();
    } else if (name == "baddate") {
        faults.badDateEvery = count();
    } else if (name == "extrarecords") {
        faults.extraRecords = count();
    } else if (name == "bad-checksum") {
        faults.telemetryChecksumEvery = count();
    } else if (name == "short-frame") {
        faults.shortFrameEvery = count();
    } else if (name == "rider-ff") {
        faults.riderFfEvery = count();
    } else if (name == "missed-beat") {
        faults.beats.missedEvery = count();
    } else if (name == "extra-beat") {
        faults.beats.extraEvery = count();
    } else if (name == "headless") {
        faults.headlessBlocks =
            static_cast<int>(ParseNumber("--fault headless", value, 0, kBlockMemoryBlocks));
    } else {
        throw ESimUsage("--fault: unknown fault \"" + name +
                        "\" (checksum, drop, delay, nak, baud4800, refusepassword, busy, unplug, badclock, "
                        "baddate, headless, extrarecords, bad-checksum, short-frame, rider-ff, missed-beat, extra-beat)");
    }
}

} // namespace

TSimOptions ParseSimArguments(const std::vector<std::string>& args, bool& help) {
    TSimOptions options;
    help = false;
    bool generationGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--help" || option == "-h") {
            help = true;
            continue;
        }
        if (option.rfind("--", 0) != 0) {
            throw ESimUsage("unexpected argument \"" + option + "\"");
        }
        if (option == "--line-rate") {
            options.lineRate = true;
            continue;
        }
        if (option == "--end-every-block") {
            options.endEveryBlock = true;
            continue;
        }
        if (option == "--ergometer") {
            options.ergometer = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            throw ESimUsage(option + " needs a value");
        }
        const std::string& value = args[++i];
        if (option == "--generation") {
            options.generation = static_cast<int>(ParseNumber(option, value, 4, 7));
            generationGiven = true;
        } else if (option == "--firmware") {
            options.firmware = static_cast<int>(ParseNumber(option, value, 1, 0xFFFF));
        } else if (option == "--password") {
            options.password = static_cast<uint32_t>(ParseNumber(option, value, 0, 0xFFFFFFFF));
        } else if (option == "--access-level") {
            options.accessLevel = static_cast<int>(ParseNumber(option, value, 1, 3));
        } else if (option == "--initials") {
            if (value.empty() || value.size() > 20) {
                throw ESimUsage("--initials: give 1 to 20 characters");
            }
            for (const char c : value) {
                if (c < 0x20 || c > 0x7E) {
                    throw ESimUsage("--initials: only printable ASCII characters");
                }
            }
            options.initials = value;
        } else if (option == "--clock") {
            options.clock = ParseClock(value);
        } else if (option == "--interval") {
            options.intervalTenths = ParseInterval(value);
        } else if (option == "--rides") {
            options.rides = static_cast<int>(ParseNumber(option, value, 0, 60));
        } else if (option == "--ride-minutes") {
            options.rideMinutes = static_cast<int>(ParseNumber(option, value, 1, 120));
        } else if (option == "--long-ride") {
            options.longRideSamples = static_cast<int>(ParseNumber(option, value, 1, 1000000));
        } else if (option == "--upper-records") {
            options.upperRecords = static_cast<int>(ParseNumber(option, value, 0, kRegisterMemoryRecords));
        } else if (option == "--address") {
            options.address = static_cast<int>(ParseNumber(option, value, 0, 0xFF));
        } else if (option == "--temperature") {
            options.temperature = static_cast<int>(ParseNumber(option, value, -40, 60));
        } else if (option == "--odometer-year") {
            options.odometerYear = static_cast<int>(ParseNumber(option, value, 2000, 2099));
        } else if (option == "--power-down") {
            ParsePowerDown(value, options);
        } else if (option == "--battery") {
            ParseBattery(value, options);
        } else if (option == "--leading-pauses") {
            options.leadingPauses = static_cast<int>(ParseNumber(option, value, 0, kMaxLeadingPauseTenths));
        } else if (option == "--seed") {
            options.seed = static_cast<uint32_t>(ParseNumber(option, value, 0, 0xFFFFFFFF));
        } else if (option == "--reply-delay") {
            options.replyDelayMs = static_cast<int>(ParseNumber(option, value, 0, 150));
        } else if (option == "--rider") {
            const std::optional<TRiderKind> rider = RiderKindFromName(value);
            if (!rider) {
                throw ESimUsage("--rider: \"" + value + "\" is not steady, sprint or tired");
            }
            options.rider = *rider;
        } else if (option == "--speedup") {
            options.speedup = static_cast<int>(ParseNumber(option, value, 1, 1000));
        } else if (option == "--telemetry") {
            options.telemetryRiders = static_cast<int>(ParseNumber(option, value, 1, 2));
        } else if (option == "--telemetry-status") {
            options.telemetryStatusEvery = static_cast<int>(ParseNumber(option, value, 1, 1000000));
        } else if (option == "--encoding") {
            if (value != "binary" && value != "text") {
                throw ESimUsage("--encoding: \"" + value + "\" is not binary or text");
            }
            options.telemetryEncoding = value == "text" ? TTelemetryEncoding::Text : TTelemetryEncoding::Binary;
        } else if (option == "--fault") {
            ParseFault(value, options.faults);
        } else {
            throw ESimUsage("unknown option \"" + option + "\"");
        }
    }
    if (!generationGiven && !help) {
        throw ESimUsage("--generation 4, 5, 6 or 7 is required");
    }
    if (options.ergometer && options.generation < 6) {
        throw ESimUsage("--ergometer: only generations 6 and 7 drive a brake");
    }
    if (options.telemetryRiders > 0 && !options.ergometer) {
        throw ESimUsage("--telemetry: the riders come from the ergometer; give --ergometer too");
    }
    // The long ride starts shortly after midnight and must end the same day.
    if (options.longRideSamples > 0 && int64_t{options.longRideSamples} * options.intervalTenths > 82800 * 10) {
        throw ESimUsage("--long-ride: " + std::to_string(options.longRideSamples) +
                        " samples do not fit into one day at this storage interval");
    }
    // The pauses before a section's first sample must neither reach back into the section before
    // it (at least 45 s earlier) nor leave its start between two seconds.
    const int leadingTenths = options.leadingPauses * options.intervalTenths;
    if (leadingTenths % 10 != 0 || leadingTenths > kMaxLeadingPauseTenths) {
        throw ESimUsage("--leading-pauses: " + std::to_string(options.leadingPauses) +
                        " storage intervals are not whole seconds up to 30 s");
    }
    if (options.firmware && options.generation == 4 && *options.firmware / 100 > 255) {
        throw ESimUsage("--firmware: a register version is at most 25599");
    }
    return options;
}

std::string SimUsageText() {
    return R"(Usage: klt-sim --generation 4|5|6|7 [options]

Simulates a head unit on a pseudo-terminal. Prints "PORT <slave path>" first (generations 6 and 7:
"USB <socket path>", the value for KLT_USB_SIM), then serves until it is terminated (SIGTERM,
SIGINT) or its standard input closes.

Options:
  --generation 4|5|6|7  4: register telegrams at 19200 baud; 5: character telegrams at 9600 baud;
                        6, 7: binary requests over USB ("VELTRAK 6", "VELTRAK 7")
  --firmware N          register version (generation 4, default 314) or firmware word
                        (generation 5, default 0x7700; below 0x430A telegrams go unframed;
                        generations 6 and 7, default 0xE517)
  --password N          32-bit password, decimal or 0x hex (default 0: not protected)
  --access-level N      level granted once unlocked: 1 athlete, 2 trainer (default), 3 internal
  --initials TEXT       athlete initials (default KLT)
  --clock TIME          head-unit clock at start, "YYYY-MM-DD HH:MM:SS" (default: now)
  --interval S          storage interval in seconds: 0.1 to 0.9 or 1 to 32 (default 1)
  --rides N             rides in the recording memory (default 2); generations 6 and 7 ride
                        mornings and evenings, the newest ride recorded as two sections
  --ride-minutes N      length of each ride, 1 to 120 (default 30)
  --long-ride N         generations 6 and 7: one more ride of N samples (say 70000, more than a
                        training file holds) on a day of its own; it must fit into that day
  --upper-records N     generation 4: the newest N records lie in the upper part of the memory,
                        from its end downwards (register 48 reports them)
  --address A           generation 4: answers from multi-processor address A, 0..255, decimal or
                        0x hex (default 0x30); it still hears only requests to 0x30
  --temperature C       generations 5, 6 and 7: the rides start at C degrees Celsius, -40 to 60,
                        and warm a little as the day goes on (default 16.5)
  --odometer-year YYYY  generation 5: the year the odometer's distance counter (4180 km) counts,
                        2000 to 2099 (default: the year of the clock)
  --power-down M[,S]    generation 5: the power-down setting it starts with, mode 0, 1, 2 or 4 and
                        S seconds, 0 to 65535 (default 0,0)
  --battery V[,W]       generations 6 and 7: the power meter's battery, V hours x 10 (0 to 32766),
                        -5 critical, -4 low, -3 ok, -2 good, -1 new or 32767 no power meter,
                        then the word W, 0 to 65535 (default 1200,0)
  --seed N              same seed, same memory contents (default 1)
  --line-rate           generations 6 and 7: replies take as long as a 38,400 baud line needs
                        (10 bits a byte), for timing a download
  --end-every-block     generations 6 and 7: every sample block ends with the end record, after at
                        most 31 records; the section goes on in the next block
  --leading-pauses N    generations 6 and 7: every section begins with N pause records, its start
                        N storage intervals before its first sample (whole seconds, at most 30)
  --reply-delay MS      time the head unit takes to answer (default 2)
  --ergometer           generations 6 and 7: the head unit sits on an ergometer, a rider driving a
                        flywheel against an eddy-current brake; live values (request 1/6) come
                        from it and brake values (request 3/1) act on it; wheel circumference 1000;
                        the rider's heart beats at his heart rate, its intervals sent by request 1/7
  --rider KIND          the ergometer's rider: steady (holds 90 rpm, default), sprint (105 rpm,
                        more torque) or tired (torque fading over minutes, cadence sagging)
  --speedup N           simulated time, the head unit's clock included, runs N times faster than
                        real time, 1 to 1000 (default 1)
  --telemetry 1|2       with --ergometer: every simulated second one telemetry frame per rider on a
                        pseudo-terminal of its own at 9600 baud, printed as "PORT <slave path>"
                        after the USB line; rider 1 is the ergometer's, rider 2 rides one of his own
  --encoding binary|text  telemetry frames as "J" and raw bytes (default) or 0x02, characters, 0x03
  --telemetry-status N  every N-th telemetry cycle a status message goes before the frames: 0x04,
                        a line of text, 0x03
  --fault NAME=VALUE    inject a fault; may be repeated:
      checksum=N        every n-th register reply has a wrong checksum (generation 5: every
                        n-th memory block arrives with line noise; 6 and 7: every n-th reply)
      drop=N            every n-th reply loses a byte
      delay=MS          every reply comes MS milliseconds late
      nak=N             every n-th telegram is refused with NAK (generation 5: not acknowledged)
      baud4800=1        the head unit hears and answers only at 4800 baud
      refusepassword=1  no password unlocks the head unit
      busy=N            generations 6 and 7: every n-th request is answered "busy"
      unplug=N          generations 6 and 7: the head unit is pulled out after its n-th sample
                        block reply (once; plugged in again it still holds its memory)
      badclock=N        generations 5, 6 and 7: the first N clock reads answer 31 February
      baddate=N         generation 5: every N-th memory block has an impossible minute (0xA as
                        its low digit); 6 and 7: every N-th section header says month 13
      headless=N        generation 5: the memory starts with N blocks of an older ride without
                        its training start, as when the memory wrapped around
      extrarecords=N    generations 6 and 7: every section header announces N records fewer
                        than its blocks then deliver
      bad-checksum=N    telemetry: every N-th frame carries a wrong checksum
      short-frame=N     telemetry: every N-th frame is cut short
      rider-ff=N        telemetry: every N-th frame names rider 0xFF
      missed-beat=N     ergometer: every N-th heart beat goes undetected (a double interval)
      extra-beat=N      ergometer: every N-th beat interval is detected as two (an extra beat)
  --help                this text
)";
}

} // namespace klt::sim

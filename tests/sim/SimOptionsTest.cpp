// The klt-sim command line: strict, so scripts learn of a typo instead of a different head unit.
#include <gtest/gtest.h>

#include "tools/sim/SimOptions.h"

namespace klt::sim {
namespace {

TSimOptions Parse(std::vector<std::string> args) {
    bool help = false;
    return ParseSimArguments(args, help);
}

TEST(SimOptionsTest, ReadsEveryOptionAndFault) {
    const TSimOptions o = Parse({"--generation",    "4",
                                 "--firmware",      "244",
                                 "--password",      "0xCAFE0001",
                                 "--initials",      "AB",
                                 "--rides",         "3",
                                 "--seed",          "17",
                                 "--clock",         "2026-12-09 14:30:05",
                                 "--interval",      "0.5",
                                 "--ride-minutes",  "12",
                                 "--access-level",  "3",
                                 "--upper-records", "12",
                                 "--address",       "0x41",
                                 "--temperature",   "-7",
                                 "--odometer-year", "2025",
                                 "--power-down",    "2,0x258",
                                 "--fault",         "checksum=3",
                                 "--fault",         "drop=5",
                                 "--fault",         "delay=40",
                                 "--fault",         "nak=7",
                                 "--fault",         "baud4800=1",
                                 "--fault",         "refusepassword=1"});
    EXPECT_EQ(o.generation, 4);
    EXPECT_EQ(o.Firmware(), 244);
    EXPECT_EQ(o.password, 0xCAFE0001u);
    EXPECT_EQ(o.initials, "AB");
    EXPECT_EQ(o.rides, 3);
    EXPECT_EQ(o.seed, 17u);
    EXPECT_EQ(o.clock, 1796774400 + 14 * 3600 + 30 * 60 + 5);
    EXPECT_EQ(o.intervalTenths, 5);
    EXPECT_EQ(o.rideMinutes, 12);
    EXPECT_EQ(o.accessLevel, 3);
    EXPECT_EQ(o.upperRecords, 12);
    EXPECT_EQ(o.address, 0x41);
    EXPECT_EQ(o.temperature, -7);
    EXPECT_EQ(o.odometerYear, 2025);
    EXPECT_EQ(o.powerDownMode, '2');
    EXPECT_EQ(o.powerDownSeconds, 600);
    EXPECT_EQ(o.faults.checksumEvery, 3);
    EXPECT_EQ(o.faults.dropEvery, 5);
    EXPECT_EQ(o.faults.delayMs, 40);
    EXPECT_EQ(o.faults.nakEvery, 7);
    EXPECT_TRUE(o.faults.only4800);
    EXPECT_TRUE(o.faults.refusePassword);
    EXPECT_EQ(o.Baud(), 4800);
}

TEST(SimOptionsTest, ReadsTheUsbOptions) {
    const TSimOptions o = Parse({"--generation",     "7",
                                 "--long-ride",      "70000",
                                 "--interval",       "0.5",
                                 "--leading-pauses", "4",
                                 "--battery",        "-3,0x10",
                                 "--fault",          "unplug=4",
                                 "--fault",          "busy=9",
                                 "--fault",          "badclock=2",
                                 "--fault",          "baddate=3",
                                 "--fault",          "headless=8192",
                                 "--fault",          "extrarecords=4",
                                 "--line-rate",      "--end-every-block"});
    EXPECT_TRUE(o.lineRate);
    EXPECT_TRUE(o.endEveryBlock);
    EXPECT_EQ(o.longRideSamples, 70000);
    EXPECT_EQ(o.leadingPauses, 4);
    EXPECT_EQ(o.faults.unplugAfterBlocks, 4);
    EXPECT_EQ(o.faults.busyEvery, 9);
    EXPECT_EQ(o.faults.badClockReads, 2);
    EXPECT_EQ(o.faults.badDateEvery, 3);
    EXPECT_EQ(o.faults.headlessBlocks, 8192);
    EXPECT_EQ(o.faults.extraRecords, 4);
    EXPECT_EQ(o.battery, -3);
    EXPECT_EQ(o.batteryWord, 16);
    EXPECT_FALSE(Parse({"--generation", "7"}).lineRate);
    EXPECT_FALSE(Parse({"--generation", "7"}).endEveryBlock);
    // Leading pauses make whole seconds, 30 at the most.
    EXPECT_EQ(Parse({"--generation", "7", "--leading-pauses", "30"}).leadingPauses, 30);
    EXPECT_EQ(Parse({"--generation", "7", "--interval", "0.5", "--leading-pauses", "60"}).leadingPauses, 60);
    EXPECT_EQ(Parse({"--generation", "7", "--interval", "10", "--leading-pauses", "3"}).leadingPauses, 3);
    EXPECT_THROW(Parse({"--generation", "7", "--leading-pauses", "31"}), ESimUsage);
    EXPECT_THROW(Parse({"--generation", "7", "--leading-pauses", "3", "--interval", "0.5"}), ESimUsage);
    EXPECT_THROW(Parse({"--generation", "7", "--interval", "32", "--leading-pauses", "1"}), ESimUsage);
    // 82,800 s is the most a ride starting half past midnight may take.
    EXPECT_EQ(Parse({"--generation", "6", "--long-ride", "82800"}).longRideSamples, 82800);
    EXPECT_THROW(Parse({"--generation", "6", "--long-ride", "82801"}), ESimUsage);
    EXPECT_THROW(Parse({"--generation", "6", "--interval", "2", "--long-ride", "70000"}), ESimUsage);
}

TEST(SimOptionsTest, ReadsTheErgometerAndTelemetryOptions) {
    const TSimOptions o = Parse({"--generation", "7", "--ergometer", "--rider", "tired", "--speedup", "50",
                                 "--telemetry", "2", "--encoding", "text", "--telemetry-status", "10", "--fault", "bad-checksum=3", "--fault",
                                 "short-frame=4", "--fault", "rider-ff=5"});
    EXPECT_TRUE(o.ergometer);
    EXPECT_EQ(o.rider, TRiderKind::Tired);
    EXPECT_EQ(o.speedup, 50);
    EXPECT_EQ(o.telemetryRiders, 2);
    EXPECT_EQ(o.telemetryEncoding, TTelemetryEncoding::Text);
    EXPECT_EQ(o.faults.telemetryChecksumEvery, 3);
    EXPECT_EQ(o.faults.shortFrameEvery, 4);
    EXPECT_EQ(o.faults.riderFfEvery, 5);
    EXPECT_EQ(o.telemetryStatusEvery, 10);
    const TSimOptions plain = Parse({"--generation", "6", "--ergometer"});
    EXPECT_EQ(plain.rider, TRiderKind::Steady);
    EXPECT_EQ(plain.speedup, 1);
    EXPECT_EQ(plain.telemetryRiders, 0);
    EXPECT_EQ(plain.telemetryEncoding, TTelemetryEncoding::Binary);
}

TEST(SimOptionsTest, DefaultsFollowTheGeneration) {
    EXPECT_EQ(Parse({"--generation", "5"}).Firmware(), 0x7700);
    EXPECT_EQ(Parse({"--generation", "5"}).Baud(), 9600);
    EXPECT_EQ(Parse({"--generation", "4"}).Firmware(), 314);
    EXPECT_EQ(Parse({"--generation", "4"}).Baud(), 19200);
    EXPECT_EQ(Parse({"--generation", "5", "--firmware", "0x430a"}).Firmware(), 0x430A);
    EXPECT_EQ(Parse({"--generation", "4"}).address, 0x30);
    EXPECT_FALSE(Parse({"--generation", "5"}).temperature);
    EXPECT_EQ(Parse({"--generation", "5"}).powerDownMode, '0');
    EXPECT_EQ(Parse({"--generation", "7"}).battery, 1200);
    EXPECT_EQ(Parse({"--generation", "7", "--battery", "32767"}).batteryWord, 0);
    EXPECT_EQ(Parse({"--generation", "5", "--power-down", "4"}).powerDownMode, '4');
    EXPECT_EQ(Parse({"--generation", "5", "--power-down", "4"}).powerDownSeconds, 0);
    EXPECT_EQ(Parse({"--generation", "5", "--temperature", "60"}).temperature, 60);
    EXPECT_EQ(Parse({"--generation", "4", "--address", "65"}).address, 65);
}

TEST(SimOptionsTest, RefusesWhatItCannotMean) {
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"--generation", "8"},
        {"--generation", "5", "--firmware"},
        {"--generation", "5", "--firmware", "12x"},
        {"--generation", "5", "--firmware", "0x"},
        {"--generation", "5", "--password", "0x100000000"},
        {"--generation", "5", "--rides", "-1"},
        {"--generation", "5", "--fault", "checksum"},
        {"--generation", "5", "--fault", "lightning=1"},
        {"--generation", "5", "--fault", "baud4800=2"},
        {"--generation", "5", "--clock", "2026-02-30 10:00:00"},
        {"--generation", "5", "--clock", "yesterday"},
        {"--generation", "5", "--interval", "1.5"},
        {"--generation", "5", "--interval", "40"},
        {"--generation", "5", "--initials", ""},
        {"--generation", "5", "stray"},
        {"--generation", "5", "--colour", "red"},
        {"--generation", "7", "--long-ride", "0"},
        {"--generation", "4", "--upper-records", "26215"},
        {"--generation", "7", "--fault", "unplug"},
        {"--generation", "6", "--fault", "badclock=-1"},
        {"--generation", "5", "--fault", "headless=8193"},
        {"--generation", "4", "--address", "256"},
        {"--generation", "4", "--address", "-1"},
        {"--generation", "5", "--temperature", "-41"},
        {"--generation", "5", "--temperature", "61"},
        {"--generation", "5", "--temperature", "-"},
        {"--generation", "5", "--temperature", "--5"},
        {"--generation", "5", "--temperature", "12.5"},
        {"--generation", "5", "--odometer-year", "1999"},
        {"--generation", "5", "--odometer-year", "25"},
        {"--generation", "5", "--power-down", "3"},
        {"--generation", "5", "--power-down", "1,"},
        {"--generation", "5", "--power-down", "1,65536"},
        {"--generation", "5", "--power-down", ",60"},
        {"--generation", "7", "--battery", "-6"},
        {"--generation", "7", "--battery", "32768"},
        {"--generation", "7", "--battery", "100,-1"},
        {"--generation", "7", "--battery", "100,65536"},
        {"--generation", "5", "--ergometer"},
        {"--generation", "7", "--telemetry", "1"},
        {"--generation", "7", "--ergometer", "--telemetry", "3"},
        {"--generation", "7", "--ergometer", "--rider", "lazy"},
        {"--generation", "7", "--ergometer", "--speedup", "0"},
        {"--generation", "7", "--ergometer", "--speedup", "1001"},
        {"--generation", "7", "--ergometer", "--encoding", "morse"},
    };
    for (const auto& args : wrong) {
        EXPECT_THROW(Parse(args), ESimUsage) << (args.empty() ? "(none)" : args.back());
    }
}

TEST(SimOptionsTest, HelpNamesEveryFault) {
    bool help = false;
    ParseSimArguments({"--help"}, help);
    EXPECT_TRUE(help);
    for (const char* fault :
         {"checksum=N",       "drop=N",          "delay=MS",     "nak=N",       "baud4800=1",
          "refusepassword=1", "busy=N",          "unplug=N",     "badclock=N",  "baddate=N",
          "headless=N",       "extrarecords=N",  "--line-rate",  "--long-ride", "--address",
          "--temperature",    "--odometer-year", "--power-down", "--battery",   "--end-every-block",
          "--leading-pauses", "--ergometer",   "--rider",      "--speedup",   "--telemetry",
          "--encoding",       "--telemetry-status", "bad-checksum=N",  "short-frame=N", "rider-ff=N"}) {
        EXPECT_NE(SimUsageText().find(fault), std::string::npos) << fault;
    }
}

} // namespace
} // namespace klt::sim

// The keys every `--json` output carries, in their order: scripts read them.
#include <gtest/gtest.h>

#include <filesystem>

#include <nlohmann/json.hpp>

#include "core/KLTDate.h"
#include "tests/cli/KltRun.h"
#include "tests/support/BackupBytes.h"
#include "tests/support/RawTraining.h"
#include "tests/support/SimProcess.h"

namespace klt {
namespace {

using TJson = nlohmann::ordered_json;
using TKeys = std::vector<std::string>;

TKeys KeysOf(const TJson& object) {
    TKeys keys;
    for (const auto& [key, value] : object.items()) {
        keys.push_back(key);
    }
    return keys;
}

class KltJsonKeys : public ::testing::Test {
protected:
    // Runs klt and reads its standard output as one JSON document.
    TJson Json(const std::string& args, const std::string& environment = "") {
        const test::TKltRun run = test::RunKlt(
            dir_, "KLT_CONFIG=" + dir_.File("cfg/KLTWIN.CFG") + " KLT_DATABASE=" + dir_.File("db") + " " + environment,
            args);
        EXPECT_EQ(run.out.back(), '\n') << args;
        try {
            return TJson::parse(run.out);
        } catch (const TJson::exception& e) {
            ADD_FAILURE() << args << ": " << e.what() << "\n" << run.out << run.err;
            return TJson::object();
        }
    }

    std::string Training(const std::string& name) {
        test::TRawTraining raw = test::SimpleTraining('7', 10);
        raw.markers = {{"JD"}, {"Lap", 1, 2, 6}};
        raw.blocks = {{3600000, 10}};
        raw.date = static_cast<uint16_t>(DaysSince1880({2026, 12, 9}));
        raw.WriteTo(dir_.File(name));
        return dir_.File(name);
    }

    test::TTempDir dir_;
};

const TKeys kMarkerKeys = {"name",  "first", "last",     "avg_power", "avg_heart_rate", "avg_cadence", "avg_speed",
                           "avg_temperature", "climb", "duration", "work", "distance", "start_time", "end_time"};

TEST_F(KltJsonKeys, TrainingFileCommands) {
    const std::string path = Training("a.klt");
    const TJson info = Json("info --json " + path);
    EXPECT_EQ(KeysOf(info),
              (TKeys{"magic", "version", "date", "circumference", "interval_numerator", "interval_denominator",
                     "interval", "flags", "comment", "zero_offset", "slope", "old_interval_byte", "sample_count",
                     "blocks", "markers", "extra_header", "modified"}));
    EXPECT_EQ(KeysOf(info["blocks"][0]), (TKeys{"start", "count"}));
    EXPECT_EQ(KeysOf(info["markers"][1]), kMarkerKeys);
    EXPECT_EQ(info["markers"][1]["name"], "Lap");
    EXPECT_EQ(KeysOf(info["extra_header"]), (TKeys{"battery", "sensor"}));

    const TJson analyse = Json("analyse --json --conconi --marker 1 " + path);
    EXPECT_EQ(KeysOf(analyse), (TKeys{"file", "marker", "ratio", "regression", "conconi", "notes"}));
    EXPECT_EQ(KeysOf(analyse["ratio"][0]), (TKeys{"channel", "unit", "classes"}));
    EXPECT_EQ(KeysOf(analyse["conconi"]), (TKeys{"deflection", "pwc", "steps"}));
    EXPECT_EQ(KeysOf(analyse["conconi"]["pwc"]), (TKeys{"130", "150", "170"}));
    EXPECT_EQ(KeysOf(Json("analyse --json " + path)), (TKeys{"file", "marker", "ratio", "regression", "notes"}));

    const TJson samples = Json("samples --json " + path);
    EXPECT_EQ(KeysOf(samples), TKeys{"samples"});
    EXPECT_EQ(samples["samples"].size(), 10u);
    EXPECT_EQ(KeysOf(samples["samples"][0]),
              (TKeys{"index", "time", "power", "cadence", "heart_rate", "speed", "altitude", "temperature"}));
}

TEST_F(KltJsonKeys, DatabaseCommands) {
    const std::string path = Training("a.klt");
    test::WriteFileBytes(dir_.File("bad.klt"), "nonsense");
    const TJson added = Json("db add --json " + path + " " + dir_.File("bad.klt"));
    EXPECT_EQ(KeysOf(added), (TKeys{"added", "errors"}));
    EXPECT_EQ(KeysOf(added["added"][0]), (TKeys{"source", "path"}));
    EXPECT_EQ(KeysOf(added["errors"][0]), (TKeys{"source", "message"}));

    const TJson list = Json("db list --json");
    EXPECT_EQ(KeysOf(list), TKeys{"trainings"});
    ASSERT_EQ(list["trainings"].size(), 1u);
    EXPECT_EQ(KeysOf(list["trainings"][0]),
              (TKeys{"path", "date", "start_time", "initials", "duration", "work", "distance", "avg_power",
                     "avg_heart_rate", "avg_speed", "avg_cadence", "climb", "avg_temperature", "comment", "slope",
                     "zero_offset", "circumference"}));

    const std::string raw = dir_.File("12-09-2026.raw");
    test::WriteFileBytes(raw, "a\nb\nc\nd\n120\n255\n90\n250\n");
    const TJson imported = Json("import --json --initials MK " + raw);
    EXPECT_EQ(KeysOf(imported), (TKeys{"imported", "errors"}));
    EXPECT_EQ(KeysOf(imported["imported"][0]), (TKeys{"source", "path"}));
}

TEST_F(KltJsonKeys, MemoryImage) {
    test::TBackupBytes bytes(test::kCurrentFormat);
    bytes.Records(test::kClock8h).Records(test::kRiding, 120);
    const std::string image = bytes.WriteTo(dir_.File("unit.kli"));
    const TJson listed = Json("image --save --json " + image);
    EXPECT_EQ(KeysOf(listed), (TKeys{"source", "trainings", "added", "errors"}));
    EXPECT_EQ(KeysOf(listed["trainings"][0]),
              (TKeys{"date", "start_time", "initials", "duration", "samples", "blocks"}));
    EXPECT_EQ(KeysOf(listed["added"][0]), (TKeys{"source", "path"}));
}

TEST_F(KltJsonKeys, HeadUnitCommands) {
    test::TSimProcess sim({"--generation", "7", "--rides", "1", "--ride-minutes", "2", "--reply-delay", "0"});
    const std::string line = sim.FirstLine();
    ASSERT_EQ(line.rfind("USB ", 0), 0u) << line;
    const std::string usb = "KLT_USB_SIM=" + line.substr(4, line.size() - 5);

    const TJson status = Json("device status --type 7 --json", usb);
    EXPECT_EQ(KeysOf(status), (TKeys{"port", "generation", "firmware", "hardware", "clock", "properties",
                                     "unread_settings"}));
    EXPECT_TRUE(status["properties"].contains("Initialen"));
    EXPECT_EQ(KeysOf(Json("device clock --type 7 --json", usb)), TKeys{"clock"});
    std::filesystem::create_directories(dir_.File("db"));
    EXPECT_EQ(KeysOf(Json("device download --type 7 --json", usb)),
              (TKeys{"files", "skipped_known", "errors", "incomplete", "cleared"}));
    EXPECT_EQ(KeysOf(Json("device ports --json")), TKeys{"ports"});
    sim.Signal(SIGTERM);
    EXPECT_EQ(sim.Exit(10), 0);
}

} // namespace
} // namespace klt

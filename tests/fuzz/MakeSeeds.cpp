// Writes the seed corpus of each fuzzer into DIR/<fuzzer>: for training files (both readers) every
// version, the odd corners of the format and a realistic ride; for measurement texts the built-in
// definitions and some numbers. Usage: klt-fuzz-seeds DIR
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/KLTIniData.h"
#include "app/ProfileWriter.h"
#include "core/TextExport.h"
#include "core/TrainingIndexFormat.h"
#include "core/Texts.h"
#include "device/VeltrakImage.h"
#include "online/DemoResultFile.h"
#include "online/HeartRateVarianceFile.h"
#include "online/KLTErgoFile.h"
#include "online/OnlineOptions.h"

#include "tests/support/RawTraining.h"
#include "tests/support/SectionMemory.h"
#include "tools/synth/SyntheticRide.h"

using klt::test::SimpleTraining;
using klt::test::TRawTraining;

// Default live options and ones with users, categories, a passing mode and texts to escape.
static void WriteOnlineOptionSeeds(const std::string& dir) {
    std::filesystem::create_directories(dir);
    klt::TOnlineOptions options("");
    klt::test::WriteFileBytes(dir + "/default.cfg", options.WriteText());
    options.OnlineCommonOptionSet.BrakeOptionSet.OffsetCorrection = -300;
    options.OnlineMainChartOptionSet.SpeedSkala.Skala.SetDisplayRange(true, 50, 5);
    options.OnlineErgometerOptions.SetErgometerMode(klt::emDemoMode);
    options.OnlineErgometerOptions.SetErgometerMode(klt::emTelemetrie);
    klt::TUser user;
    user.Username = "Ann \"Fast\" <O'Neill>";
    user.Weight = 61;
    options.OnlineErgometerOptions.OpenEndTestOptionSet.UserNameList.PutItem(0, user);
    klt::TKLTDemoCategorie categorie;
    categorie.SetName("Juniors");
    categorie.Watt = 250;
    options.OnlineDemoModeOptionSet.Categories.PutItem(0, categorie);
    klt::test::WriteFileBytes(dir + "/customised.cfg", options.WriteText());
}

// Results with names that fill their columns, with accents, and values that fill theirs; the same
// with Windows line ends.
static void WriteDemoResultSeeds(const std::string& dir) {
    std::filesystem::create_directories(dir);
    klt::TKLTDemoResult full;
    full.SetLastName("Wolfeschlegelsteinha");
    full.SetFirstName("Marie-Th\xC3\xA9r\xC3\xA8se von Ho");
    full.AveragePower = 99999;
    full.CategorieWatt = -9999;
    full.Failure = 2147483647;
    full.MaxPower = 65535;
    full.Spare = -999999999;
    klt::TKLTDemoResult plain;
    plain.SetLastName("Li");
    plain.AveragePower = 201;
    plain.CategorieWatt = 1600;
    plain.Failure = 340;
    plain.MaxPower = 260;
    const std::string text = klt::WriteDemoResultText({full, plain, plain});
    klt::test::WriteFileBytes(dir + "/results.rst", text);
    std::string windows;
    for (char c : text) {
        windows += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    klt::test::WriteFileBytes(dir + "/windows.rst", windows);
}

// A program of two steps with every check mark somewhere, and one cut short.
static void WriteErgoSeeds(const std::string& dir) {
    std::filesystem::create_directories(dir);
    klt::TKLTErgoFile program;
    program.SetCommentary("Ramp & <sprint>");
    klt::TKLTErgoSection step;
    step.Time = {6000, true};
    step.Power = {1200, true};
    step.Heartrate = {9600, false};
    program.PutSection(0, step);
    step.Cadence = {2880, true};
    program.PutSection(1, step);
    const std::string text = program.WriteText();
    klt::test::WriteFileBytes(dir + "/program.erg", text);
    klt::test::WriteFileBytes(dir + "/cut.erg", text.substr(0, text.size() / 2));
}

// A recording across midnight with intervals of four and five digits, and one with Windows line ends.
static void WriteHRVarianceSeeds(const std::string& dir) {
    std::filesystem::create_directories(dir);
    klt::THRDistTable table;
    table.Append({53672, 8639990}, 6000);
    table.Append({53673, 45}, 12000);
    table.Append({53673, 45}, 5400);
    const std::string text = klt::HRVarianceText(table.Records());
    klt::test::WriteFileBytes(dir + "/recording.txt", text);
    klt::test::WriteFileBytes(dir + "/crlf.txt", "23:59:59.9 6000\r\n 0:00:00.4 7000\r\n");
}

// A default profile and one with something other than the default in every set.
static void WriteProfileSeeds(const std::string& dir) {
    std::filesystem::create_directories(dir);
    klt::TProfileOptionSets profile(53000);
    klt::test::WriteFileBytes(dir + "/default.xml", klt::WriteProfileText(profile));
    profile.UserOptionSet.UsedSystems = {"JD", "Smith, J."};
    profile.System = {6, 3};
    profile.SingleChart.ChartTitle = "Ride \"one\" <best>";
    profile.AnalyseOptionSet.AddZoneSet(53000);
    profile.AnalyseOptionSet.MaxPanel(2) = {false, 12345, 0x123456};
    profile.ChartOptionSet.LeftAxis = {true, -5, 12'345'678'901};
    profile.StatisticChartOptionSet.PowerSkala.SetDisplayRange(false, 600, 50);
    profile.RatioDataChartOptionSet.SpeedSkala.MergeFct = 5;
    profile.UploadDataOptionSet.Servername = "ftp.example.org";
    klt::test::WriteFileBytes(dir + "/customised.xml", klt::WriteProfileText(profile));
}

// A first byte choosing the protocol, then what a head unit would answer.
void WriteHeadUnitSeeds(const std::string& dir) {
    std::filesystem::create_directories(dir);
    // Register reply of version 2.40 with access level 4: 0x20, address, status, data, checksum.
    const std::string registerReply = "\x20\x30\x04\x00\x00\x02\x28\xA2";
    klt::test::WriteFileBytes(dir + "/register", std::string(1, '\0') + registerReply + registerReply);
    // Generation V version reply (firmware 0x430A), framed.
    const std::string versionReply = "\x02P430:\x03";
    klt::test::WriteFileBytes(dir + "/generation-v", std::string(1, '\1') + versionReply + versionReply);
    // Download start acknowledged, one block announced, one block of samples.
    std::string download = std::string(1, '\2') + "\x02" + "A" + std::string("\x00\x01", 2);
    download += std::string(64, '\x11');
    klt::test::WriteFileBytes(dir + "/download", download);
    // A generation VI/7 reply: header, length 4, class and code echoed, one byte, checksum.
    std::string usb = std::string("\x03\xA4\xB0\x00\x04\x01\x01\x07", 8);
    uint8_t sum = 0;
    for (size_t i = 1; i < usb.size(); ++i) {
        sum = static_cast<uint8_t>(sum ^ static_cast<uint8_t>(usb[i]));
    }
    usb += static_cast<char>(sum);
    klt::test::WriteFileBytes(dir + "/usb", usb);
}

// Backups of a memory image with two rides, one with a pause, of an empty memory and of a
// generation V memory.
void WriteImageBackupSeeds(const std::string& dir) {
    std::filesystem::create_directories(dir);
    const std::vector<uint8_t> rides = {0x80, 0x80, 0x70, 0,  0,   0x10, 0x25, 0x12, 90, 140,
                                        0x10, 0x25, 0x12, 90, 140, 0,    0,    0,    0,  0,
                                        0x83, 2,    0,    0,  0,   0x10, 0x25, 0x12, 90, 140,
                                        0x80, 0xE0, 0xC4, 0,  0,   0x10, 0x25, 0x12, 90, 140};
    klt::TVeltrakImage image;
    image.SetSWVersion(300);
    image.SetInitialen("Jo");
    image.SetAbspeicherZeitBruch(1, 1);
    image.ClockDay = 32872;
    image.HeapCount = static_cast<uint16_t>(rides.size() / 5);
    image.SetMemory(rides);
    image.SaveBackup(dir + "/rides.kli");
    klt::TVeltrakImage empty;
    empty.SaveBackup(dir + "/empty.kli");
    // A generation V memory: a training's first block and one that stayed garbled.
    std::vector<uint8_t> blocks(2 * 64, 0);
    const uint8_t start[] = {0x41, 0x12, 0x09, 0x30, 0x00, 0, 0, 0, 21, 0x01, 0x2C, 36, 90, 140};
    std::copy(std::begin(start), std::end(start), blocks.begin());
    std::fill_n(blocks.begin() + 64, 64, 0xFF);
    klt::TVeltrakImage memoryV;
    memoryV.SetHWVersion(klt::TVeltrakHWVersion::HWVersionVT5x128);
    memoryV.SetBlockMemory(blocks, {1});
    memoryV.SaveBackup(dir + "/generation-v.kli");
}

// One section each as the head unit answers it: header, then every block after its record count.
void WriteSectionSeeds(const std::string& dir) {
    std::filesystem::create_directories(dir);
    auto write = [&](const std::string& name, const klt::test::TSectionSpec& section) {
        const std::vector<uint8_t> header = section.HeaderBytes();
        std::string bytes(header.begin(), header.end());
        for (const std::vector<uint8_t>& block : section.Blocks()) {
            bytes += static_cast<char>(block.size() / 16);
            bytes.append(block.begin(), block.end());
        }
        klt::test::WriteFileBytes(dir + "/" + name, bytes);
    };
    klt::test::TSectionSpec ride;
    ride.Pauses(2).Samples(40, {.cadence = 85}).Samples(8, {.marker = 1}).Pauses(5).Samples(10, {.cadence = 0});
    write("ride", ride);
    klt::test::TSectionSpec fast;
    fast.intervalMs = 100;
    fast.At(23, 59, 50).Samples(70, {.temperature = -40});
    write("fast-past-midnight", fast);
    write("empty", klt::test::TSectionSpec{});
}

// The real recordings and an older file with cadence and power.
void WriteHrmSeeds(const std::string& dir) {
    std::filesystem::create_directories(dir);
    for (const auto& entry : std::filesystem::directory_iterator(KLT_TEST_DATA_DIR "/external/hrm")) {
        if (entry.path().extension() == ".hrm") {
            std::filesystem::copy_file(entry.path(), dir + "/" + entry.path().filename().string(),
                                       std::filesystem::copy_options::overwrite_existing);
        }
    }
    klt::test::WriteFileBytes(dir + "/older-mode", "[Params]\nVersion=105\nMode=10\nDate=19990601\nInterval=15\n"
                                                   "[Note]\nOld\n[HRData]\n150\t90\t220\n151\t91\t230\n");
}

void WriteTrainingIndexSeed(const std::string& dir) {
    std::filesystem::create_directories(dir);
    klt::TIndexEntry ride;
    ride.name = "J091226A.klt";
    ride.size = 50486;
    ride.modified = 1'765'000'000'000'000'000;
    ride.summary = klt::TTrainingSummary{.date = 53000, .startTime = 3240000, .initials = "JD", .comment = "Hills"};
    ride.otherSections = {{40, "a newer program's values"}};
    klt::TIndexEntry broken;
    broken.name = "notes.klt";
    broken.unreadable = true;
    klt::test::WriteFileBytes(dir + "/two-entries", klt::EncodeTrainingIndex({ride, broken}));
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: klt-fuzz-seeds DIR\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/fuzz-training-file";
    std::filesystem::create_directories(dir);
    int n = 0;
    auto put = [&](const std::string& bytes) {
        klt::test::WriteFileBytes(dir + "/seed-" + std::to_string(n++), bytes);
    };

    for (char version : std::string(" 2345678")) {
        TRawTraining raw = SimpleTraining(version, 40);
        raw.comment = "Seed \x81\x94";
        raw.markers = {{"AB"}, {"m1", 1, 2, 20}, {"m2", 0, 5, 9}, {"m3", 1, 30, 40}};
        raw.blocks = {{36000, 20}, {72000, 20}};
        put(raw.Bytes());
    }
    std::string ok19 = SimpleTraining(' ', 8).Bytes();
    ok19.replace(0, 4, "Ok19");
    put(ok19);
    TRawTraining noExtra = SimpleTraining('7', 12);
    noExtra.flags = 0;
    put(noExtra.Bytes());
    TRawTraining quarter = SimpleTraining('8', 16);
    quarter.intervalNumerator = 1;
    quarter.intervalDenominator = 4;
    put(quarter.Bytes());

    klt::TKLTFile ride;
    klt::synth::BuildRide(ride, klt::synth::TRideOptions{});
    ride.WriteKLT7(dir + "/seed-" + std::to_string(n++), klt::TDateTimeMark::None());
    ride.WriteKLT6(dir + "/seed-" + std::to_string(n++), klt::TDateTimeMark::None());
    const std::string textImportDir = std::string(argv[1]) + "/fuzz-text-import";
    std::filesystem::create_directories(textImportDir);
    for (const auto form : {klt::TTextExportForm::Basic, klt::TTextExportForm::Extended}) {
        klt::test::WriteFileBytes(textImportDir + "/seed-" + std::to_string(n++), klt::TrainingText(ride, 0, form));
    }
    // The training data module reads the same files.
    std::filesystem::copy(dir, std::string(argv[1]) + "/fuzz-training-data");

    const std::string textDir = std::string(argv[1]) + "/fuzz-measurement-text";
    std::filesystem::create_directories(textDir);
    for (int id = 288; id <= 308; ++id) {
        klt::test::WriteFileBytes(textDir + "/definition-" + std::to_string(id), klt::LoadText(id));
    }
    for (const char* number : {"1,234.5", "-0.25e3", "\"1|2\"|3", "12 345,6"}) {
        klt::test::WriteFileBytes(textDir + "/number-" + std::to_string(n++), number);
    }

    const std::string configDir = std::string(argv[1]) + "/fuzz-configuration";
    std::filesystem::create_directories(configDir);
    klt::TKLTIniData config;
    klt::test::WriteFileBytes(configDir + "/default.cfg", config.Text());
    config.SystemData.SetUserName("O'Neill");
    config.SystemData.UnitsSPD = 2;
    config.OptionData.KLTGraphicType = klt::gtMultiRow;
    config.OptionData.GraphicData.PRBGICanvasOptions = 0;
    config.OptionData.DiagrammMehrZ.SkalaGeschwindigkeit.SetOffset(1234.5);
    config.FileHistory.SetItems({"/rides/a.klt", "/rides/line\nbreak.klt"});
    config.MarkerIdentList.SetItems({"Sprint", "Kl\xC3\xB6ppel"});
    klt::test::WriteFileBytes(configDir + "/customised.cfg", config.Text());
    WriteProfileSeeds(std::string(argv[1]) + "/fuzz-profile");
    WriteHeadUnitSeeds(std::string(argv[1]) + "/fuzz-head-unit-replies");
    WriteImageBackupSeeds(std::string(argv[1]) + "/fuzz-image-backup");
    WriteSectionSeeds(std::string(argv[1]) + "/fuzz-section-records");
    WriteHrmSeeds(std::string(argv[1]) + "/fuzz-hrm-import");
    WriteTrainingIndexSeed(std::string(argv[1]) + "/fuzz-training-index");
    WriteOnlineOptionSeeds(std::string(argv[1]) + "/fuzz-online-options");
    WriteErgoSeeds(std::string(argv[1]) + "/fuzz-ergo-file");
    WriteDemoResultSeeds(std::string(argv[1]) + "/fuzz-demo-results");
    WriteHRVarianceSeeds(std::string(argv[1]) + "/fuzz-hrv-file");
    const std::string rawDir = std::string(argv[1]) + "/fuzz-raw-import";
    std::filesystem::create_directories(rawDir);
    klt::test::WriteFileBytes(rawDir + "/skipped-record",
                              "header 1\r\nheader 2\r\nheader 3\r\nheader 4\r\n120\r\n255\r\n90\r\n251\r\na\r\nb\r\n"
                              "c\r\nd\r\ne\r\n130\r\n300\r\n95\r\n250\r\n");
    klt::test::WriteFileBytes(rawDir + "/plain", "h\nh\nh\nh\n100\n200\n80\n110\n210\n85\n250\n");
    return 0;
}

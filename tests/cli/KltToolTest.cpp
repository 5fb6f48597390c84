#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>

#include <QImage>
#include <QSet>

#include "core/BinaryFile.h"
#include "core/KLTFile.h"
#include "tests/cli/KltRun.h"
#include "tests/support/RawTraining.h"

namespace klt {
namespace {

using test::SimpleTraining;
using test::TRawTraining;

using TRun = test::TKltRun;

class KltTool : public ::testing::Test {
protected:
    TRun Klt(const std::string& args) {
        return test::RunKlt(
            dir_, "KLT_CONFIG=" + dir_.File("cfg/KLTWIN.CFG") + " KLT_DATABASE=" + dir_.File("db"), args);
    }

    std::string Put(const TRawTraining& raw, const std::string& name) {
        const std::string path = dir_.File(name);
        raw.WriteTo(path);
        return path;
    }

    test::TTempDir dir_;
};

TEST_F(KltTool, InfoJsonCarriesEveryField) {
    TRawTraining raw = SimpleTraining('7', 20);
    raw.comment = "Say \"hi\"\\";
    raw.markers = {{"JD"}, {"Sprint", 1, 5, 9}};
    raw.blocks = {{3600000, 20}};
    raw.extraHeader.batInfo = {2870, 1};
    raw.extraHeader.sensorInfo.words = {4711, 2, 3, 4};
    const TRun r = Klt("info --json " + Put(raw, "a.klt"));
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* field :
         {R"("magic":"KLT7")", R"("version":"7")", R"("date":50000)", R"("circumference":2100)",
          R"("interval_numerator":1)", R"("interval_denominator":1)", R"("interval":100)", R"("flags":2)",
          R"("comment":"Say \"hi\"\\")", R"("zero_offset":500)", R"("slope":3000)",
          R"("old_interval_byte":0)", R"("sample_count":20)", R"("blocks":[{"start":3600000,"count":20}])",
          R"({"name":"Sprint","first":5,"last":9,"avg_power":856,)",
          R"("extra_header":{"battery":[2870,1],"sensor":[4711,2,3,4]})", R"("modified":false})"}) {
        EXPECT_NE(r.out.find(field), std::string::npos) << field << "\n" << r.out;
    }
}

TEST_F(KltTool, InfoAndDatabaseReportDamagedFilesAndNeverWaitOnAPipe) {
    TRawTraining raw = SimpleTraining('7', 3480);
    raw.sampleCountField = 0xFFFF;
    const std::string damaged = Put(raw, "damaged.klt");
    const std::string damage = "'" + damaged + "': The training file is damaged: it holds 3480 of the 65534 "
                               "samples it announces; the missing ones read as zero.\n";
    const TRun info = Klt("info " + damaged);
    EXPECT_EQ(info.status, 1);
    EXPECT_NE(info.out.find("65534"), std::string::npos) << info.out; // still shown as the file says
    EXPECT_EQ(info.err, damage);

    const std::string fifo = dir_.File("fifo.klt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string good = Put(SimpleTraining('7', 10), "good.klt");
    EXPECT_EQ(Klt("info " + fifo).status, 1);
    const TRun add = Klt("db add " + fifo + " " + damaged + " " + good);
    EXPECT_EQ(add.status, 1);
    EXPECT_NE(add.out.find(good + " -> " + dir_.File("db")), std::string::npos) << add.out << add.err;
    EXPECT_NE(add.err.find(damage), std::string::npos) << add.err;
    EXPECT_NE(add.err.find("'" + fifo + "': "), std::string::npos) << add.err;
}

TEST_F(KltTool, InfoShowsOldFilesAsOldestVersionAndModified) {
    std::string bytes = SimpleTraining(' ', 5).Bytes();
    bytes.replace(0, 4, "Ok19");
    const std::string path = dir_.File("A010299x.klt");
    test::WriteFileBytes(path, bytes);
    const TRun r = Klt("info --json " + path);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(R"("magic":"KLT ","version":" ")"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(R"("modified":true)"), std::string::npos);
    const TRun human = Klt("info " + path);
    EXPECT_NE(human.out.find("1999-02-01"), std::string::npos) << human.out;
}

TEST_F(KltTool, DamagedFilesFailWithTheSystemsMessage) {
    TRawTraining raw = SimpleTraining('7', 3);
    raw.magic = "KLT9";
    const std::string path = Put(raw, "bad.klt");
    const TRun r = Klt("info " + path);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "'" + path + "': File isn't a training file or is corrupted (2)\nHeader\n ID:0\n");
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(Klt("samples " + dir_.File("missing.klt")).status, 1);
}

TEST_F(KltTool, WrongArgumentsAreUsageErrors) {
    const std::string path = Put(SimpleTraining('7', 3), "a.klt");
    const std::vector<std::string> wrong = {"",
                                            "frobnicate",
                                            "info",
                                            "info " + path + " " + path,
                                            "info --yaml " + path,
                                            "samples --json --csv " + path,
                                            "convert " + path,
                                            "convert " + path + " b.klt --format klt5",
                                            "convert " + path + " b.klt --format"};
    for (const std::string& args : wrong) {
        const TRun r = Klt(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("usage: klt"), std::string::npos) << args;
    }
}

TEST_F(KltTool, SamplesInRawJsonAndDisplayCsv) {
    TRawTraining raw = SimpleTraining('7', 3);
    raw.blocks = {{3600000, 3}};
    raw.samples[0] = {250, 90, 150, 10016, 512, -35};
    const std::string path = Put(raw, "a.klt");

    const TRun json = Klt("samples --json " + path);
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out.rfind(R"({"samples":[{"index":1,"time":3600000,"power":2000,"cadence":2880,)"
                             R"("heart_rate":9600,"speed":10016,"altitude":512,"temperature":-35},)",
                             0),
              0u)
        << json.out;

    const TRun csv = Klt("samples --csv " + path);
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(
        csv.out.substr(0, csv.out.find('\n', csv.out.find('\n') + 1) + 1),
        "index,time,Power [watt],Cadence [rpm],Heartrate [bpm],Speed [km/h],Altitude [m],Temperature [°C]\n"
        "1,10:00:00,250,90,150,36.1,512,-3.5\n");

    const TRun table = Klt("samples " + path);
    ASSERT_EQ(table.status, 0);
    EXPECT_EQ(std::count(table.out.begin(), table.out.end(), '\n'), 4);
}

TEST_F(KltTool, ConvertWritesTheFormatAndLeavesTheInputAlone) {
    const std::string in = Put(SimpleTraining('4', 12), "A150697x.klt");
    const std::string before = test::ReadFileBytes(in);
    const int64_t stamp = FileModificationStamp(in);
    const std::string six = dir_.File("six.klt"), seven = dir_.File("seven.klt");

    ASSERT_EQ(Klt("convert " + in + " " + six + " --format klt6").status, 0);
    ASSERT_EQ(Klt("convert " + in + " " + seven).status, 0);
    EXPECT_EQ(test::ReadFileBytes(in), before);
    EXPECT_EQ(FileModificationStamp(in), stamp);

    TKLTFile file(six);
    file.ReadFile();
    EXPECT_EQ(file.Header().Version(), '6');
    EXPECT_EQ(file.SampleCount(), 12);
    const TRun info = Klt("info --json " + seven);
    EXPECT_NE(info.out.find(R"("version":"7")"), std::string::npos);
    EXPECT_NE(info.out.find(R"("modified":false)"), std::string::npos);
    EXPECT_NE(info.out.find(R"("interval":200)"), std::string::npos);

    const TRun same = Klt("convert " + in + " " + in);
    EXPECT_EQ(same.status, 1);
    EXPECT_EQ(test::ReadFileBytes(in), before);
}

TEST_F(KltTool, DatabaseAddsTrainingsInTheirPlaceAndListsThem) {
    EXPECT_EQ(Klt("db path").out, dir_.File("db") + "\n");
    TRawTraining first = SimpleTraining('7', 30);
    first.markers = {{"JD"}};
    first.blocks = {{3600000, 30}};
    first.date = static_cast<uint16_t>(DaysSince1880({2026, 12, 9}));
    TRawTraining second = first;
    second.markers = {{"MK"}};
    second.date = static_cast<uint16_t>(DaysSince1880({2026, 11, 2}));
    const std::string a = Put(first, "a.klt"), b = Put(second, "b.klt");
    test::WriteFileBytes(dir_.File("bad.klt"), "nonsense");

    const TRun add = Klt("db add --json " + a + " " + dir_.File("bad.klt") + " " + b + " " + a);
    EXPECT_EQ(add.status, 1); // one file failed, the others went in
    const std::string db = dir_.File("db");
    for (const std::string& expected :
         {R"("source":")" + a + R"(","path":")" + db + R"(/_JD.KLT/2026_12.KLT/J091226A.klt")",
          R"("path":")" + db + R"(/_MK.KLT/2026_11.KLT/M021126A.klt")",
          R"("path":")" + db + R"(/_JD.KLT/2026_12.KLT/J091226B.klt")",
          R"("errors":[{"source":")" + dir_.File("bad.klt") + R"(","message":"')"}) {
        EXPECT_NE(add.out.find(expected), std::string::npos) << expected << "\n" << add.out;
    }
    EXPECT_TRUE(std::filesystem::exists(a)); // the source stays

    const TRun all = Klt("db list --json");
    ASSERT_EQ(all.status, 0) << all.err;
    const size_t mk = all.out.find(R"("initials":"MK")");
    const size_t jd = all.out.find(R"("initials":"JD")");
    EXPECT_LT(mk, jd); // by date
    EXPECT_NE(all.out.find(R"("start_time":3600000,"initials":"JD","duration":3000,)"), std::string::npos)
        << all.out;
    const TRun december = Klt("db list --json --from 2026-12-01 --initials jd");
    EXPECT_EQ(december.out.find("MK"), std::string::npos);
    EXPECT_NE(december.out.find("J091226B.klt"), std::string::npos);
    EXPECT_EQ(Klt("db list --from 2026-13-01").status, 2);
    EXPECT_EQ(Klt("db frobnicate").status, 2);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("cfg"))); // the tool never writes settings
}

TEST_F(KltTool, PlotDrawsTheDiagramAtTheRequestedSize) {
    const std::string ride = dir_.File("ride.klt");
    ASSERT_EQ(std::system((std::string(KLT_BIN_DIR) + "/klt-demo " + ride + " >/dev/null").c_str()), 0);
    for (const char* view : {"single", "trend", "multi"}) {
        const std::string png = dir_.File(std::string(view) + ".png");
        const TRun r = Klt("plot " + ride + " --view " + view +
                           " --rows 3 --marker 2 --width 640 --height 480 -o " + png);
        ASSERT_EQ(r.status, 0) << view << r.err;
        const QImage image(QString::fromStdString(png));
        ASSERT_EQ(image.size(), QSize(640, 480)) << view;
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 2) {
            for (int x = 0; x < image.width(); x += 2) {
                colours.insert(image.pixel(x, y));
            }
        }
        EXPECT_GT(colours.size(), 8) << view; // curves of several colours, texts and grid
        EXPECT_FALSE(std::filesystem::exists(png + ".tmp"));
    }
    const TRun defaults = Klt("plot " + ride + " -o " + dir_.File("d.png"));
    ASSERT_EQ(defaults.status, 0) << defaults.err;
    EXPECT_EQ(QImage(QString::fromStdString(dir_.File("d.png"))).size(), QSize(1600, 900));
}

TEST_F(KltTool, PlotRefusesWhatItCannotDraw) {
    const std::string path = Put(SimpleTraining('7', 30), "a.klt");
    const std::string out = " -o " + dir_.File("out.png");
    for (const std::string& args :
         {"--view pie" + out, "--rows 0" + out, "--rows 6" + out, "--rows x" + out, "--width 0" + out,
          "--marker -1" + out, "--colour red" + out, std::string()}) {
        const TRun r = Klt("plot " + path + " " + args);
        EXPECT_EQ(r.status, 2) << args << r.err;
    }
    const TRun marker = Klt("plot " + path + " --marker 3" + out);
    EXPECT_EQ(marker.status, 1);
    EXPECT_NE(marker.err.find("'" + path + "'"), std::string::npos) << marker.err;
    const TRun missing = Klt("plot " + dir_.File("none.klt") + out);
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("'" + dir_.File("none.klt") + "'"), std::string::npos) << missing.err;
    EXPECT_FALSE(std::filesystem::exists(dir_.File("out.png")));
    const TRun unwritable = Klt("plot " + path + " -o " + dir_.File("no/such/dir.png"));
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("no/such/dir.png'"), std::string::npos) << unwritable.err;
}

} // namespace
} // namespace klt

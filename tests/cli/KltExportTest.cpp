#include <gtest/gtest.h>

#include "core/KLTFile.h"
#include "core/TextImport.h"
#include "tests/cli/KltRun.h"
#include "tests/support/RawTraining.h"

namespace klt {
namespace {

class KltExport : public ::testing::Test {
protected:
    test::TKltRun Klt(const std::string& args) {
        return test::RunKlt(dir_, "KLT_CONFIG=" + dir_.File("cfg/KLTWIN.CFG") + " KLT_DATABASE=" + dir_.File("db"),
                            args);
    }

    std::string Training() {
        test::TRawTraining raw = test::SimpleTraining('7', 20);
        raw.markers = {{"JD"}, {"Sprint", 1, 5, 9}};
        raw.blocks = {{3600000, 20}};
        const std::string path = dir_.File("a.klt");
        raw.WriteTo(path);
        return path;
    }

    test::TTempDir dir_;
};

TEST_F(KltExport, WritesTheMarkerAsTextThatReadsBack) {
    const std::string in = Training();
    const std::string before = test::ReadFileBytes(in);
    const std::string out = dir_.File("a-marker1.txt");
    const test::TKltRun run = Klt("export " + in + " " + out + " --format text-ext --marker 1");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(test::ReadFileBytes(in), before);

    TKLTFile imported(out);
    ImportTextTraining(imported, test::ReadFileBytes(out));
    EXPECT_EQ(imported.SampleCount(), 5);
    EXPECT_EQ(imported.Marker(0).startTime, 3600000 + 400);
}

TEST_F(KltExport, RefusesWrongArgumentsAndUnknownMarkers) {
    const std::string in = Training();
    EXPECT_EQ(Klt("export " + in + " " + dir_.File("b.txt") + " --format csv").status, 2);
    EXPECT_EQ(Klt("export " + in + " " + dir_.File("b.txt") + " --marker x").status, 2);
    EXPECT_EQ(Klt("export " + in).status, 2);
    const test::TKltRun missing = Klt("export " + in + " " + dir_.File("b.txt") + " --marker 7");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("no marker 7"), std::string::npos) << missing.err;
    EXPECT_EQ(Klt("export " + in + " " + in).status, 1);
}

} // namespace
} // namespace klt

// What every program of the system does with --help and with options it does not know.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/cli/KltRun.h"
#include "tests/support/RawTraining.h"

namespace klt {
namespace {

class ProgramOptions : public ::testing::Test {
protected:
    // Runs a program of the build in the test's folder, without a display.
    test::TKltRun Run(const std::string& program, const std::string& args, const std::string& environment = "") {
        const std::string out = dir_.File("stdout"), err = dir_.File("stderr");
        const std::string command = "cd " + dir_.Path() + " && env -u DISPLAY -u WAYLAND_DISPLAY KLT_CONFIG=" +
                                    dir_.File("cfg/KLTWIN.CFG") + " KLT_DATABASE=" + dir_.File("db") + " " +
                                    environment + " " + KLT_BIN_DIR + "/" + program + " " + args + " >" + out + " 2>" + err;
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, test::ReadFileBytes(out), test::ReadFileBytes(err)};
    }
    // Nothing but the captured output was written.
    void ExpectNothingWritten(const std::string& what) {
        for (const auto& entry : std::filesystem::directory_iterator(dir_.Path())) {
            const std::string name = entry.path().filename().string();
            if (name != "stdout" && name != "stderr") {
                ADD_FAILURE() << what << " wrote " << name;
                std::filesystem::remove_all(entry.path()); // not to blame the next program for it
            }
        }
    }

    test::TTempDir dir_;
};

TEST_F(ProgramOptions, HelpShowsTheUsageAndWritesNothing) {
    for (const std::string program : {"klt", "klt-demo", "klt-sim", "kltwin"}) {
        const test::TKltRun help = Run(program, "--help");
        EXPECT_EQ(help.status, 0) << program << help.err;
        EXPECT_NE(help.out.find(program), std::string::npos) << program << help.out;
        EXPECT_NE(help.out.find("--help"), std::string::npos) << program << help.out;
        ExpectNothingWritten(program + " --help");
    }
}

TEST_F(ProgramOptions, UnknownOptionsAreRefusedWithTheirName) {
    for (const std::string program : {"klt", "klt-demo", "klt-sim", "kltwin"}) {
        // kltwin checks its options once Qt has taken its own: on a screen, if only an offscreen one
        const test::TKltRun run = Run(program, "--frobnicate", "QT_QPA_PLATFORM=offscreen");
        EXPECT_EQ(run.status, 2) << program << run.out << run.err;
        EXPECT_NE(run.err.find("--frobnicate"), std::string::npos) << program << run.err;
        ExpectNothingWritten(program + " --frobnicate");
    }
    const test::TKltRun demo = Run("klt-demo", "out.klt --frobnicate");
    EXPECT_EQ(demo.status, 2) << demo.err;
    ExpectNothingWritten("klt-demo out.klt --frobnicate");
}

TEST_F(ProgramOptions, EverySubcommandOfKltHasItsHelp) {
    for (const std::string command : {"info", "samples", "convert", "export", "plot", "image", "import", "db",
                                      "db path", "db add", "db list", "device", "device ports", "device status",
                                      "device clock", "device download"}) {
        const test::TKltRun help = Run("klt", command + " --help");
        EXPECT_EQ(help.status, 0) << command << help.err;
        EXPECT_NE(help.out.find("usage: klt " + command), std::string::npos) << command << "\n" << help.out;
    }
    const test::TKltRun version = Run("klt", "--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_NE(version.out.find("klt "), std::string::npos) << version.out;
}

TEST_F(ProgramOptions, KltNamesTheCommandWhoseArgumentsAreWrong) {
    const std::string path = dir_.File("a.klt");
    test::SimpleTraining('7', 3).WriteTo(path);
    const test::TKltRun run = Run("klt", "plot " + path + " --rows 9 -o x.png");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--rows"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("usage: klt plot"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("klt plot --help"), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty());
}

} // namespace
} // namespace klt

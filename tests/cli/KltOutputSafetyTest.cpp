// Texts from files reach the terminal and JSON readers in a form they can take.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "core/KLTDate.h"
#include "tests/cli/KltRun.h"
#include "tests/support/RawTraining.h"

namespace klt {
namespace {

class KltOutputSafety : public ::testing::Test {
protected:
    test::TKltRun Klt(const std::string& args) {
        return test::RunKlt(
            dir_, "KLT_CONFIG=" + dir_.File("cfg/KLTWIN.CFG") + " KLT_DATABASE=" + dir_.File("db"), args);
    }

    test::TTempDir dir_;
};

bool HasControlCharacter(const std::string& text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\n') || byte == 0x7F) {
            return true;
        }
    }
    return false;
}

// Reading drops control bytes from comments and names; what still carries them, a file name
// for one, shows them escaped.
TEST_F(KltOutputSafety, ControlCharactersOfInitialsCommentsAndNamesNeverReachTheTerminal) {
    test::TRawTraining raw = test::SimpleTraining('7', 10);
    raw.comment = "evil\x1b]0;pwned\x07 ride\tslow\x7f";
    raw.markers = {{"J\x1b[2JD"}, {"Lap\x1b[31m", 1, 2, 6}};
    raw.blocks = {{3600000, 10}};
    raw.date = static_cast<uint16_t>(DaysSince1880({2026, 12, 9}));
    const std::string path = dir_.File("a\x1b[2J.klt");
    raw.WriteTo(path);

    const test::TKltRun info = Klt("info '" + path + "'");
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_FALSE(HasControlCharacter(info.out)) << info.out;
    EXPECT_NE(info.out.find(R"(a\x1b[2J.klt)"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("evil]0;pwned rideslow"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("J[2JD"), std::string::npos) << info.out;

    const test::TKltRun added = Klt("db add '" + path + "'");
    ASSERT_EQ(added.status, 0) << added.err;
    EXPECT_FALSE(HasControlCharacter(added.out)) << added.out;
    const test::TKltRun list = Klt("db list");
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_FALSE(HasControlCharacter(list.out)) << list.out;
    EXPECT_NE(list.out.find("evil]0;pwned"), std::string::npos) << list.out;

    const test::TKltRun json = Klt("info --json '" + path + "'");
    EXPECT_EQ(nlohmann::json::parse(json.out)["comment"], "evil]0;pwned rideslow");

    // Errors name the file escaped too, and keep their line breaks.
    const test::TKltRun missing = Klt("db add '" + dir_.File("gone\x1b[2J.klt") + "'");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find(R"(gone\x1b[2J.klt)"), std::string::npos) << missing.err;
    EXPECT_FALSE(HasControlCharacter(missing.err)) << missing.err;
}

TEST_F(KltOutputSafety, JsonStaysValidUtf8ForFileNamesThatAreNot) {
    const std::string path = dir_.File("ride\xff\xfe-\xc3.klt");
    test::SimpleTraining('7', 10).WriteTo(path);
    const test::TKltRun added = Klt("db add --json " + path);
    ASSERT_EQ(added.status, 0) << added.out << added.err;
    nlohmann::json parsed;
    ASSERT_NO_THROW(parsed = nlohmann::json::parse(added.out)) << added.out;
    EXPECT_EQ(parsed["added"][0]["source"], dir_.File("ride\uFFFD\uFFFD-\uFFFD.klt"));

    const test::TKltRun samples = Klt("samples --json " + path);
    ASSERT_EQ(samples.status, 0) << samples.err;
    EXPECT_NO_THROW((void)nlohmann::json::parse(samples.out));
    const test::TKltRun missing = Klt("image --json " + path + "x");
    EXPECT_EQ(missing.status, 1);
}

} // namespace
} // namespace klt

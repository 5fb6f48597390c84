#include <gtest/gtest.h>

#include "app/UploadCredentials.h"
#include "tests/support/RawTraining.h"

namespace klt {
namespace {

TEST(UploadCredentials, MissingFileOrKeysGiveTheDefaults) {
    test::TTempDir dir;
    EXPECT_EQ(ReadUploadCredentials(dir.File("none.pwd")), TUploadCredentials{});
    EXPECT_EQ(TUploadCredentials{}.Password, "tavel");
    // Keys of other sections do not count; key names match without case.
    TUploadCredentials read =
        ParseUploadCredentials("[Other]\nPassword=x\n[upload]\r\n  USERNAME = rider\r\n");
    EXPECT_EQ(read.Username, "rider");
    EXPECT_EQ(read.Password, "tavel");
}

TEST(UploadCredentials, EveryPasswordByteSurvivesTheFile) {
    // Bytes whose inversion is a line break, a blank, a control byte or "%".
    std::string password = "\xF5\xF2\xDF\xF6\xDA\xFF tab\t%41 \xC3\xA9";
    TUploadCredentials credentials{"name with %", password};
    const std::string text = UploadCredentialsText(credentials);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);
    EXPECT_EQ(ParseUploadCredentials(text), credentials);
    // An inverted ASCII password is stored byte for byte.
    EXPECT_NE(UploadCredentialsText({"u", "ab"}).find("Password=\x9E\x9D\n"), std::string::npos);
}

TEST(UploadCredentials, TextsAreCutToSeventyCharacters) {
    std::string longName(80, 'n');
    std::string invertedPassword(80, static_cast<char>(~'p'));
    TUploadCredentials read =
        ParseUploadCredentials("[Upload]\nUsername=" + longName + "\nPassword=" + invertedPassword + "\n");
    EXPECT_EQ(read.Username, std::string(70, 'n'));
    EXPECT_EQ(read.Password, std::string(70, 'p'));
}

} // namespace
} // namespace klt

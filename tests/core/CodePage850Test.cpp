#include <gtest/gtest.h>

#include "core/CodePage850.h"

namespace klt {
namespace {

TEST(CodePage850, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 1; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    EXPECT_EQ(Utf8ToCp850(Cp850ToUtf8(all)), all);
}

TEST(CodePage850, KnownCharactersAndUnmappableOnes) {
    EXPECT_EQ(Cp850ToUtf8("\x81\x94\xE1\xF8"), "üöß°");
    EXPECT_EQ(Utf8ToCp850("Müller €5"), "M\x81ller ?5");
    EXPECT_EQ(Utf8ToCp850("\xC3"), "?"); // truncated sequence
    EXPECT_EQ(Utf8ToCp850("a\xFF"
                          "b"),
              "a?b"); // invalid lead byte
}

} // namespace
} // namespace klt

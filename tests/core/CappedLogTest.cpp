#include <gtest/gtest.h>

#include <filesystem>

#include "core/CappedLog.h"
#include "tests/support/RawTraining.h"

namespace klt {
namespace {

using test::ReadFileBytes;

TEST(CappedLog, StartsEmptyInFoldersItCreatesAndRestartsAtItsCap) {
    const test::TTempDir dir;
    const std::string path = dir.File("a/b/log.txt");
    std::filesystem::create_directories(dir.File("a/b"));
    test::WriteFileBytes(path, "an old run\n");

    TCappedLog log(20);
    ASSERT_TRUE(log.Open(path));
    EXPECT_EQ(ReadFileBytes(path), "");
    log.Line("0123456789");
    EXPECT_EQ(ReadFileBytes(path), "0123456789\n");
    log.Line("abcdefghij"); // 22 bytes would pass the cap: the file starts afresh
    EXPECT_EQ(ReadFileBytes(path), "abcdefghij\n");
}

TEST(CappedLog, ALogThatCannotBeCreatedWritesNothingAndNeverThrows) {
    const test::TTempDir dir;
    test::WriteFileBytes(dir.File("blocker"), "a file where a folder should be");
    TCappedLog log;
    EXPECT_FALSE(log.Open(dir.File("blocker/log.txt")));
    EXPECT_NO_THROW(log.Line("lost"));
}

} // namespace
} // namespace klt

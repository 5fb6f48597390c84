#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/CappedLog.h"

namespace klt {
namespace {

std::string Text(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(CappedLog, StartsEmptyInFoldersItCreatesAndRestartsAtItsCap) {
    const auto dir = std::filesystem::path(testing::TempDir()) / "capped-log";
    std::filesystem::remove_all(dir);
    const auto path = dir / "a" / "b" / "log.txt";
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << "an old run\n";

    TCappedLog log(20);
    ASSERT_TRUE(log.Open(path.string()));
    EXPECT_EQ(Text(path), "");
    log.Line("0123456789");
    EXPECT_EQ(Text(path), "0123456789\n");
    log.Line("abcdefghij"); // 22 bytes would pass the cap: the file starts afresh
    EXPECT_EQ(Text(path), "abcdefghij\n");
    EXPECT_LE(std::filesystem::file_size(path), 20u);
    std::filesystem::remove_all(dir);
}

TEST(CappedLog, ALogThatCannotBeCreatedWritesNothingAndNeverThrows) {
    const auto file = std::filesystem::path(testing::TempDir()) / "capped-log-blocker";
    std::ofstream(file) << "a file where a folder should be";
    TCappedLog log;
    EXPECT_FALSE(log.Open((file / "log.txt").string()));
    EXPECT_NO_THROW(log.Line("lost"));
    std::filesystem::remove(file);
}

} // namespace
} // namespace klt

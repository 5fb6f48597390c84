#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <string>

#include "cli/ProgressBar.h"
#include "cli/TerminalText.h"
#include "tests/cli/KltRun.h"
#include "tests/support/RawTraining.h"

namespace klt::cli {
namespace {

TEST(ProgressBar, FillsInProportionWithinItsWidth) {
    EXPECT_EQ(ProgressBar(0, 10, 20), "[            ]   0 %");
    EXPECT_EQ(ProgressBar(5, 10, 20), "[######      ]  50 %");
    EXPECT_EQ(ProgressBar(10, 10, 20), "[############] 100 %");
    EXPECT_EQ(ProgressBar(9999, 10000, 20), "[########### ]  99 %"); // full only when done
    for (size_t width = 0; width <= 40; ++width) {
        EXPECT_EQ(ProgressBar(3, 7, width).size(), width) << width;
    }
}

TEST(ProgressBar, OddCountsAndNarrowWidths) {
    EXPECT_EQ(ProgressBar(12, 10, 20), ProgressBar(10, 10, 20)); // more than the total: finished
    EXPECT_EQ(ProgressBar(0, 0, 20), ProgressBar(1, 1, 20));     // nothing to do: finished
    EXPECT_EQ(ProgressBar(1, 2, 9), "[ ]  50 %");
    EXPECT_EQ(ProgressBar(2, 2, 9), "[#] 100 %");
    EXPECT_EQ(ProgressBar(1, 2, 8), "    50 %");
    EXPECT_EQ(ProgressBar(1, 2, 3), " 50");
    EXPECT_EQ(ProgressBar(1, 2, 0), "");
}

std::string ReadAvailable(int fd) {
    std::string text;
    char buffer[512];
    ssize_t count = 0;
    while ((count = ::read(fd, buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<size_t>(count));
    }
    return text;
}

TEST(ProgressLine, DrawsOnATerminalAndWipesItself) {
    int master = -1, slave = -1;
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    {
        TProgressLine line("Files", slave);
        line.Show(1, 4);
        line.Show(1, 4); // unchanged: not drawn again
        const std::string drawn = ReadAvailable(master);
        EXPECT_EQ(drawn.find("Files ["), 1u) << drawn;
        EXPECT_NE(drawn.find(" 25 %"), std::string::npos) << drawn;
        EXPECT_EQ(drawn.find("Files", 2), std::string::npos) << drawn;
        line.Clear();
        EXPECT_EQ(ReadAvailable(master), "\r\x1b[K");
        line.Show(4, 4);
    }
    EXPECT_NE(ReadAvailable(master).find("\r\x1b[K"), std::string::npos); // wiped at the end
    ::close(master);
    ::close(slave);
}

TEST(ProgressLine, WritesNothingWhereNoTerminalListens) {
    int pipe[2];
    ASSERT_EQ(::pipe2(pipe, O_NONBLOCK), 0);
    {
        TProgressLine line("Files", pipe[1]);
        line.Show(1, 2);
        line.Clear();
        line.Show(2, 2);
    }
    EXPECT_EQ(ReadAvailable(pipe[0]), "");
    ::close(pipe[0]);
    ::close(pipe[1]);

    // The long commands as scripts run them: stderr holds only what went wrong.
    test::TTempDir dir;
    std::string files;
    for (const char* name : {"a.klt", "b.klt", "c.klt"}) {
        test::SimpleTraining('7', 5).WriteTo(dir.File(name));
        files += " " + dir.File(name);
    }
    const test::TKltRun added = test::RunKlt(
        dir, "KLT_CONFIG=" + dir.File("cfg/KLTWIN.CFG") + " KLT_DATABASE=" + dir.File("db"), "db add" + files);
    EXPECT_EQ(added.status, 0);
    EXPECT_EQ(added.err, "");
}

TEST(TerminalText, ControlCharactersBecomeEscapes) {
    EXPECT_EQ(Printable("plain \\ text, Zürich"), "plain \\ text, Zürich");
    EXPECT_EQ(Printable(std::string("a\0b", 3)), "a\\x00b");
    EXPECT_EQ(Printable("\x1b[2J\r\n\x7f"), "\\x1b[2J\\x0d\\x0a\\x7f");
    EXPECT_EQ(Printable("\xc2\x9b" "31m \xc2\xa0"), "\\u009b31m \xc2\xa0"); // C1 CSI; no-break space stays
    EXPECT_EQ(Printable("cut \xc2"), "cut \xc2");
    EXPECT_EQ(PrintableLines("File:a damaged\r\nline 2\n\r\x1b"), "File:a damaged\nline 2\n\\x0d\\x1b");
}

} // namespace
} // namespace klt::cli

// The bash completion of klt offers what klt itself takes: checked against its --help, so the two
// cannot drift apart.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <sstream>

#include "tests/cli/KltRun.h"
#include "tests/support/RawTraining.h"

namespace klt {
namespace {

using TWords = std::set<std::string>;

class KltCompletion : public ::testing::Test {
protected:
    // What the completion offers for the command line `words`, the last of them being completed.
    TWords Complete(const std::string& words) {
        const std::string script = dir_.File("complete.sh");
        test::WriteFileBytes(script, "source " KLT_SCRIPTS_DIR "/klt-completion.bash\n"
                                     "COMP_WORDS=(klt " + words + ")\n"
                                     "COMP_CWORD=$((${#COMP_WORDS[@]} - 1))\n"
                                     "_klt\nprintf '%s\\n' \"${COMPREPLY[@]}\"\n");
        const std::string out = dir_.File("offered"), err = dir_.File("errors");
        EXPECT_EQ(std::system(("cd " + dir_.Path() + " && bash " + script + " >" + out + " 2>" + err).c_str()), 0);
        EXPECT_EQ(test::ReadFileBytes(err), "");
        return Lines(test::ReadFileBytes(out));
    }

    // The subcommands and long options `klt COMMAND --help` lists.
    TWords HelpWords(const std::string& command, const std::string& section) {
        const test::TKltRun help = test::RunKlt(dir_, "", command + " --help");
        EXPECT_EQ(help.status, 0) << command;
        TWords words;
        std::istringstream lines(help.out.substr(std::min(help.out.find(section + ":\n"), help.out.size())));
        std::string line;
        std::getline(lines, line); // the section's title
        while (std::getline(lines, line) && !line.empty()) {
            std::istringstream first(line);
            std::string names;
            first >> names;
            std::istringstream each(names);
            for (std::string name; std::getline(each, name, ',');) {
                if (name.rfind("-", 0) != 0 || name.rfind("--", 0) == 0) { // long options only
                    words.insert(name);
                }
            }
        }
        return words;
    }

    static TWords Lines(const std::string& text) {
        TWords lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            lines.insert(line);
        }
        return lines;
    }

    test::TTempDir dir_;
};

void ExpectOffered(const TWords& expected, const TWords& offered, const std::string& where) {
    for (const std::string& word : expected) {
        EXPECT_TRUE(offered.count(word)) << where << ": " << word << " is not offered";
    }
}

TEST_F(KltCompletion, OffersEveryCommandAndItsOptions) {
    const TWords commands = HelpWords("", "Subcommands");
    ASSERT_GE(commands.size(), 9u);
    ExpectOffered(commands, Complete("''"), "klt");
    EXPECT_EQ(Complete("d"), (TWords{"db", "demo", "device"}));
    for (const std::string parent : {"db", "device", "ergo", "demo"}) {
        const TWords nested = HelpWords(parent, "Subcommands");
        ASSERT_GE(nested.size(), 1u) << parent;
        ExpectOffered(nested, Complete(parent + " ''"), parent);
        for (const std::string& command : nested) {
            ExpectOffered(HelpWords(parent + " " + command, "Options"), Complete(parent + " " + command + " -"),
                          parent + " " + command);
        }
    }
    for (const std::string& command : commands) {
        if (command != "db" && command != "device" && command != "ergo" && command != "demo") {
            ExpectOffered(HelpWords(command, "Options"), Complete(command + " x -"), command);
        }
    }
}

TEST_F(KltCompletion, OffersTheValuesOfOptionsAndFilesElsewhere) {
    EXPECT_EQ(Complete("plot a.klt --view ''"), (TWords{"single", "trend", "multi", "ratio", "analysis", "conconi"}));
    EXPECT_EQ(Complete("device download --type ''"), (TWords{"4", "5", "6", "7"}));
    EXPECT_EQ(Complete("convert a.klt b.klt --format klt"), (TWords{"klt6", "klt7"}));
    EXPECT_EQ(Complete("demo results a.rst --sort ''"), (TWords{"steady", "max", "average"}));
    test::WriteFileBytes(dir_.File("ride.klt"), "");
    EXPECT_EQ(Complete("info --json ri"), TWords{"ride.klt"});
    EXPECT_EQ(Complete("db add r"), TWords{"ride.klt"});
}

} // namespace
} // namespace klt

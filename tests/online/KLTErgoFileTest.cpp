#include <gtest/gtest.h>

#include <filesystem>

#include "core/Exceptions.h"
#include "online/KLTErgoFile.h"
#include "tests/support/RawTraining.h"

namespace klt {
namespace {

using test::ReadFileBytes;
using test::TTempDir;
using test::WriteFileBytes;

TKLTErgoSection Step(int time, int watts, TErgoControl control) {
    TKLTErgoSection section;
    section.Time.Value = time;
    section.Power.Value = watts * 8;
    section.Heartrate.Value = 150 * 64;
    section.Cadence.Value = 90 * 32;
    section.Power.Checked = control == TErgoControl::Power;
    section.Cadence.Checked = control == TErgoControl::Cadence;
    return section;
}

TKLTErgoFile TwoSteps(const std::string& directory) {
    TKLTErgoFile program = TKLTErgoFile::AtPath(directory + "/Intervals.erg");
    program.SetCommentary("Warm-up \"easy\" & <hard>");
    program.PutSection(0, Step(60000, 150, TErgoControl::Power));
    program.PutSection(1, Step(30000, 300, TErgoControl::Cadence));
    return program;
}

// The message Load gives, or "" when it succeeded.
std::string LoadMessage(TKLTErgoFile& program) {
    try {
        program.Load();
        return "";
    } catch (const EInOutError& error) {
        return error.Message();
    }
}

TEST(KLTErgoFile, SavedProgramsLoadEqualInTheirLineForm) {
    TTempDir dir;
    const TKLTErgoFile program = TwoSteps(dir.Path() + "/ErgoFiles");
    program.Save(); // creates the folder
    TKLTErgoFile loaded = TKLTErgoFile::AtPath(dir.Path() + "/ErgoFiles/Intervals.erg");
    ASSERT_TRUE(loaded.Load());
    EXPECT_TRUE(loaded.SameAs(program));
    EXPECT_EQ(loaded.Section(1)->ControlledBy(), TErgoControl::Cadence);
    const std::string text = ReadFileBytes(program.Path());
    EXPECT_TRUE(text.starts_with("<?xml version=\"1.0\"?>\n<KLTErgoFile>\n"
                                 "  <Variable Name=\"Commentary\" Value=\"Warm-up &quot;easy&quot; "
                                 "&amp; &lt;hard&gt;\"/>\n  <Section>\n    <Time>\n"
                                 "      <Variable Name=\"Value\" Value=\"60000\"/>\n"
                                 "      <Variable Name=\"Checked\" Value=\"0\"/>\n    </Time>\n    <Power>\n"
                                 "      <Variable Name=\"Value\" Value=\"1200\"/>\n"
                                 "      <Variable Name=\"Checked\" Value=\"1\"/>\n    </Power>\n"))
        << text;
    EXPECT_TRUE(text.ends_with("  </Section>\n</KLTErgoFile>\n"));
}

TEST(KLTErgoFile, DamagedFilesGiveTheirMessageWithThePathAndAResetProgram) {
    TTempDir dir;
    const std::string path = dir.File("Bad.erg");
    struct TCase {
        std::string text;
        std::string message;
    };
    const TCase cases[] = {
        {"<KLTErgoFile>\n</KLTErgoFile>\n", "File:" + path + " damaged"},
        {"", "File:" + path + " damaged"},
        {"<?xml version=\"1.0\"?>\n<KLTErgoFile>\n", "Error reading File:" + path},
        {"<?xml version=\"1.0\"?>\n<KLTErgoFile>\n\n</KLTErgoFile>\n", "Error reading File:" + path},
        {"<?xml version=\"1.0\"?>\n<KLTErgoFile>\n<Section>\n<Watts>\n</Section>\n</KLTErgoFile>\n",
         "'" + path + "' Fileformat Error\r\n<Watts> not allowed in <Section>"},
        {"<?xml version=\"1.0\"?>\n<KLTErgoFile>\n<Section>\n<Power>\n<Variable Name=\"Max\" Value=\"1\"/>\n",
         "'" + path + "' Fileformat Error\r\n<Variable Name=\"Max\" Value=\"1\"/> not allowed in <Power>"},
    };
    for (const TCase& c : cases) {
        WriteFileBytes(path, c.text);
        TKLTErgoFile program = TwoSteps(dir.Path());
        program.SetName("Bad");
        EXPECT_EQ(LoadMessage(program), c.message) << c.text;
        EXPECT_TRUE(program.SameAs(TKLTErgoFile::AtPath(path))) << c.text;
        EXPECT_EQ(program.Count(), 1);
    }
}

TEST(KLTErgoFile, ReadingKeepsWhatTheLinesSayAndNothingMore) {
    TKLTErgoFile program;
    program.ReadText("<?xml version=\"1.0\"?>\r\n<KLTErgoFile>\r\n"
                     "<Variable Name=\"Commentary\" Value=\"" +
                         std::string(100, 'c') +
                         "\"/>\r\n"
                         "ignored\r\n<Section>\r\n<Variable Name=\"Time\" Value=\"12x\"/>\r\n"
                         "<Heartrate>\r\n<Variable Name=\"Checked\" Value=\"yes\"/>\r\n</Heartrate>\r\n"
                         "<Power>\r\n<Variable Name=\"Checked\" Value=\"1\"/>\r\n</Power>\r\n</Section>\r\n"
                         "</KLTErgoFile>\r\n",
                     "x.erg");
    EXPECT_EQ(program.Commentary(), std::string(70, 'c'));
    ASSERT_EQ(program.Count(), 1);
    EXPECT_EQ(program.Section(0)->Time.Value, 0);                           // not a number
    EXPECT_EQ(program.Section(0)->ControlledBy(), TErgoControl::Heartrate); // the last of three wins
    TKLTErgoFile missing = TKLTErgoFile::AtPath("/nonexistent/dir/None.erg");
    EXPECT_FALSE(missing.Load());
    EXPECT_EQ(missing.Count(), 1);
}

TEST(KLTErgoFile, StepsAreInsertedDeletedAndMovedInPlace) {
    TKLTErgoFile program;
    for (int i = 0; i < 3; ++i) {
        program.PutSection(i, Step(100 * (i + 1), 100, TErgoControl::Power));
    }
    program.InsertSection(0);
    ASSERT_EQ(program.Count(), 4);
    EXPECT_EQ(*program.Section(0), TKLTErgoSection());
    EXPECT_EQ(program.Section(3)->Time.Value, 300);
    program.SwapSections(1, 2);
    EXPECT_EQ(program.Section(1)->Time.Value, 200);
    program.SwapSections(3, 4); // no step 4
    EXPECT_EQ(program.Section(3)->Time.Value, 300);
    EXPECT_EQ(program.Section(4), nullptr);

    TKLTErgoFile single;
    single.DeleteSection(0);
    EXPECT_EQ(single.Count(), 0);
    single.Reset();
    EXPECT_EQ(single.Count(), 1);
}

TEST(KLTErgoFile, RenamingKeepsTheProgramWhenTheNewFileCannotBeWritten) {
    TTempDir dir;
    TKLTErgoFile program = TwoSteps(dir.Path());
    program.Save();
    const std::string oldPath = program.Path();
    std::filesystem::create_directory(dir.File("Hills.erg")); // nothing can be written there
    EXPECT_THROW(program.Rename("Hills"), EInOutError);
    EXPECT_TRUE(std::filesystem::exists(oldPath));
    EXPECT_EQ(program.Name(), "Intervals");

    std::filesystem::remove(dir.File("Hills.erg"));
    program.Rename("Hills");
    EXPECT_FALSE(std::filesystem::exists(oldPath));
    TKLTErgoFile renamed = TKLTErgoFile::AtPath(dir.File("Hills.erg"));
    ASSERT_TRUE(renamed.Load());
    EXPECT_TRUE(renamed.SameAs(program));
    EXPECT_TRUE(renamed.DeleteFile());
    EXPECT_FALSE(renamed.DeleteFile());
}

} // namespace
} // namespace klt

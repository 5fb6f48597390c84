#include <gtest/gtest.h>

#include <filesystem>

#include "app/KLTFileOpenController.h"
#include "app/KLTIniData.h"
#include "core/KLTFileRegistry.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TempDatabase.h"

namespace klt {
namespace {

using test::Day;

constexpr int32_t kNine = 9 * 360000; // 09:00 in 1/100 s

class KLTFileOpenControllerTest : public ::testing::Test {
protected:
    KLTFileOpenControllerTest() { configuration_.SystemData.DataBaseDir = db_.Path(); }

    std::vector<std::string> Paths(const TKLTFileOpenController& controller) const {
        std::vector<std::string> paths;
        for (const auto& row : controller.Rows()) {
            paths.push_back(row.path);
        }
        return paths;
    }

    test::TTempDatabase db_;
    TKLTIniData configuration_;
};

TEST_F(KLTFileOpenControllerTest, RowsSortByDateStartTimeAndInitials) {
    const std::string late = db_.Put("AB", Day(2026, 12, 2), kNine);
    const std::string zed = db_.Put("ZZ", Day(2026, 12, 1), kNine);
    const std::string abe = db_.Put("AB", Day(2026, 12, 1), kNine);
    const std::string early = db_.Put("ZZ", Day(2026, 12, 1), 8 * 360000);

    TKLTFileOpenController controller(configuration_);
    EXPECT_EQ(Paths(controller), (std::vector<std::string>{early, abe, zed, late}));
    const std::string& key = controller.Rows()[1].key;
    EXPECT_EQ(key.substr(0, 34), "20261201000900AB                  ");
    EXPECT_EQ(key.substr(34), abe);
}

TEST_F(KLTFileOpenControllerTest, CellsShowValuesInTheirUnitsAndLeaveZerosEmpty) {
    const std::string path = db_.Put("JD", Day(2026, 12, 9), kNine, 30, "Easy ride");
    {
        TKLTFile file(path); // a training without a zero offset
        file.ReadFile();
        file.EditHeader().zeroOffset = 0;
        file.WriteKLT7(path, TDateTimeMark::None());
    }
    TKLTFileOpenController controller(configuration_);
    ASSERT_EQ(controller.Rows().size(), 1u);
    const auto& cells = controller.Rows()[0].cells;
    EXPECT_EQ(cells[0], "2026-12-09 09:00-09:00");
    EXPECT_EQ(cells[1], "JD");
    EXPECT_EQ(cells[2], "00:00:30");
    EXPECT_EQ(cells[5], "16"); // mean of 1..30 W, rounded
    EXPECT_EQ(cells[8], "90"); // cadence
    EXPECT_EQ(cells[11], "Easy ride");
    EXPECT_EQ(cells[13], "");     // zero offset 0
    EXPECT_EQ(cells[14], "2000"); // circumference
    EXPECT_EQ(TKLTFileOpenController::ColumnTitle(0), "Date/time");
    EXPECT_EQ(TKLTFileOpenController::ColumnTitle(11), "Comments");
    EXPECT_EQ(TKLTFileOpenController::ColumnTitle(5), "watt");
    EXPECT_EQ(TKLTFileOpenController::ColumnKind(5), mwaLeistung);
    EXPECT_EQ(TKLTFileOpenController::ColumnWidthChars(11), 58);
}

TEST_F(KLTFileOpenControllerTest, FilterComesFromAndGoesBackToTheConfiguration) {
    db_.Put("AB", Day(2026, 12, 1), kNine);
    db_.Put("CD", Day(2026, 12, 5), kNine);
    db_.Put("EF", Day(2026, 12, 9), kNine);
    configuration_.SystemData.DataBaseInitialMask = "A*;C*";
    TKLTFileOpenController controller(configuration_);
    EXPECT_EQ(controller.Rows().size(), 2u);

    controller.SetFromDate(Day(2026, 12, 2));
    EXPECT_EQ(controller.Rows().size(), 1u);
    controller.SetInitials("  ");
    EXPECT_EQ(controller.Rows().size(), 2u); // blank lists everyone
    controller.SetToDate(Day(2026, 12, 8));
    EXPECT_EQ(controller.Rows().size(), 1u);
    EXPECT_EQ(configuration_.SystemData.DataBaseInitialMask, "  ");
    EXPECT_EQ(configuration_.SystemData.DataBaseListDatumFrom, Day(2026, 12, 2));
    EXPECT_EQ(configuration_.SystemData.DataBaseListDatumUntil, Day(2026, 12, 8));

    controller.SetFromDate(kNoDate);
    controller.SetToDate(kNoDate);
    EXPECT_EQ(controller.Rows().size(), 3u);
}

TEST_F(KLTFileOpenControllerTest, AFromDateAfterTheToDateListsNothing) {
    db_.Put("AB", Day(2026, 12, 5), kNine);
    TKLTFileOpenController controller(configuration_);
    ASSERT_TRUE(controller.HasRows());
    controller.SetFromDate(Day(2026, 12, 9));
    controller.SetToDate(Day(2026, 12, 1));
    EXPECT_FALSE(controller.HasRows());
    EXPECT_EQ(controller.Selected(), -1);
    EXPECT_EQ(controller.SelectedPath(), "");
}

TEST_F(KLTFileOpenControllerTest, KnownInitialsAreTheAthleteFoldersSorted) {
    db_.Put("ZZ", Day(2026, 12, 5), kNine);
    db_.Put("AB", Day(2026, 12, 5), kNine);
    std::filesystem::create_directories(db_.Path() + "/_M+K.KLT"); // normalised to "MK"
    TKLTFileOpenController controller(configuration_);
    EXPECT_EQ(controller.KnownInitials(), (std::vector<std::string>{"AB", "MK", "ZZ"}));
}

TEST_F(KLTFileOpenControllerTest, SelectionStaysWithItsTrainingOrMovesToTheNextRow) {
    db_.Put("AB", Day(2026, 12, 1), kNine);
    const std::string second = db_.Put("AB", Day(2026, 12, 2), kNine);
    const std::string third = db_.Put("AB", Day(2026, 12, 3), kNine);
    TKLTFileOpenController controller(configuration_);
    controller.Select(1);
    db_.Put("AB", Day(2026, 11, 30), kNine); // a new first row
    controller.Refresh();
    EXPECT_EQ(controller.SelectedPath(), second);

    std::filesystem::remove(second);
    controller.Refresh();
    EXPECT_EQ(controller.SelectedPath(), third);
}

TEST_F(KLTFileOpenControllerTest, DeletingAsksAndSelectsTheRowAbove) {
    const std::string first = db_.Put("AB", Day(2026, 12, 1), kNine);
    const std::string second = db_.Put("AB", Day(2026, 12, 2), kNine);
    TKLTFileOpenController controller(configuration_);
    controller.Select(1);

    test::TScriptedPrompt prompt({TPromptAnswer::No, TPromptAnswer::Yes});
    EXPECT_FALSE(controller.DeleteSelected());
    EXPECT_TRUE(std::filesystem::exists(second));
    EXPECT_TRUE(controller.DeleteSelected());
    EXPECT_FALSE(std::filesystem::exists(second));
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_NE(prompt.shown[1].text.find("Do you really want to delete"), std::string::npos);
    EXPECT_EQ(controller.SelectedPath(), first);
    EXPECT_EQ(KLTFileRegistry().Find(second), nullptr);
}

TEST_F(KLTFileOpenControllerTest, DeletingTheLastListedTrainingLeavesNoRows) {
    db_.Put("AB", Day(2026, 12, 1), kNine);
    db_.Put("CD", Day(2026, 12, 1), kNine);
    configuration_.SystemData.DataBaseInitialMask = "CD";
    TKLTFileOpenController controller(configuration_);
    test::TScriptedPrompt prompt({TPromptAnswer::Yes});
    EXPECT_TRUE(controller.DeleteSelected());
    EXPECT_FALSE(controller.HasRows());
    EXPECT_EQ(controller.Selected(), -1);
    EXPECT_FALSE(controller.DeleteSelected()); // nothing left to delete, nothing asked
}

TEST_F(KLTFileOpenControllerTest, AChangeIsSavedAndTheMovedTrainingStaysSelected) {
    db_.Put("AB", Day(2026, 12, 1), kNine);
    const std::string path = db_.Put("AB", Day(2026, 12, 2), kNine);
    TKLTFileOpenController controller(configuration_);
    controller.Select(1);
    EXPECT_TRUE(controller.ChangeSelected([](TKLTFile& file) {
        file.SetComment("Hill repeats");
        file.SetDate(Day(2026, 11, 30)); // moves to another month folder
        return true;
    }));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(controller.Selected(), 0);
    TKLTFile reread(controller.SelectedPath());
    reread.ReadFile();
    EXPECT_EQ(reread.Comment(), "Hill repeats");
    EXPECT_EQ(controller.Rows()[0].cells[11], "Hill repeats");
}

} // namespace
} // namespace klt

namespace klt {
namespace {

TEST_F(KLTFileOpenControllerTest, TypingFiltersTheListedRowsWithoutReadingAFile) {
    const std::string ab = db_.Put("AB", Day(2026, 12, 1), kNine);
    const std::string ac = db_.Put("AC", Day(2026, 12, 2), kNine);
    const std::string cd = db_.Put("CD", Day(2026, 12, 3), kNine);
    TKLTFileOpenController controller(configuration_);
    ASSERT_EQ(controller.Rows().size(), 3u);
    // Nothing is left on disk to read: what follows comes from memory.
    for (const auto& athlete : std::filesystem::directory_iterator(db_.Path())) {
        std::filesystem::remove_all(athlete.path());
    }
    controller.SetInitials("A");
    EXPECT_TRUE(Paths(controller).empty());
    controller.SetInitials("A*");
    EXPECT_EQ(Paths(controller), (std::vector<std::string>{ab, ac}));
    controller.SetInitials("a?;cd");
    EXPECT_EQ(Paths(controller), (std::vector<std::string>{ab, ac, cd}));
    controller.SetFromDate(Day(2026, 12, 2));
    EXPECT_EQ(Paths(controller), (std::vector<std::string>{ac, cd}));
    EXPECT_EQ(controller.Rows()[0].cells[0], "2026-12-02 09:00-09:00");
    controller.Refresh(); // only an explicit refresh looks at the disk again
    EXPECT_FALSE(controller.HasRows());
}

TEST_F(KLTFileOpenControllerTest, TrainingsWithoutADateAreListedWhileTheRangeIsOpenAtTheEnd) {
    const std::string undated = db_.Put("AB", kNoDate, kNine);
    const std::string dated = db_.Put("AB", Day(2026, 12, 1), kNine);
    TKLTFileOpenController controller(configuration_);
    EXPECT_EQ(Paths(controller), (std::vector<std::string>{dated, undated}));
    EXPECT_EQ(controller.Rows()[1].cells[0], " 09:00-09:00");
    controller.SetToDate(Day(2026, 12, 31));
    EXPECT_EQ(Paths(controller), (std::vector<std::string>{dated}));
}

} // namespace
} // namespace klt

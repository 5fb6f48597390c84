// Demo results: how a category ranks, its results file, what happens to the file when it is
// damaged, unreadable, unwritable or cleared, and the results window's controller.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/Exceptions.h"
#include "online/DemoResultFile.h"
#include "online/DemoResults.h"
#include "online/DemoResultsView.h"
#include "online/DemoRunRecord.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/RawTraining.h"
#include "tests/support/ScriptedPrompt.h"

namespace klt {
namespace {

using test::ReadFileBytes;
using test::TTempDir;
using test::WriteFileBytes;
namespace fs = std::filesystem;

TKLTDemoResult Result(std::string_view lastName, int average, int maximum, int failure) {
    TKLTDemoResult result;
    result.SetLastName(lastName);
    result.SetFirstName("Ann");
    result.AveragePower = average;
    result.MaxPower = maximum;
    result.Failure = failure;
    result.CategorieWatt = 2000;
    return result;
}

// "name:position" in ranking order.
std::vector<std::string> Ranking(const std::vector<TKLTDemoResult>& results, TDemoSortKind kind) {
    std::vector<std::string> ranking;
    for (const TDemoRankedResult& ranked : RankDemoResults(results, kind)) {
        ranking.push_back(ranked.Result->LastName() + ":" + std::to_string(ranked.Position));
    }
    return ranking;
}

TEST(DemoRanking, EachKindRanksByItsValueAndTiesShareThePositionInOrderOfArrival) {
    const std::vector<TKLTDemoResult> results = {Result("A", 200, 400, 50), Result("B", 250, 380, 30),
                                                 Result("C", 200, 400, 30), Result("D", 180, 500, 90)};
    EXPECT_EQ(Ranking(results, TDemoSortKind::Steady),
              (std::vector<std::string>{"B:1", "C:1", "A:3", "D:4"}));
    EXPECT_EQ(Ranking(results, TDemoSortKind::MaxPower),
              (std::vector<std::string>{"D:1", "A:2", "C:2", "B:4"}));
    EXPECT_EQ(Ranking(results, TDemoSortKind::AveragePower),
              (std::vector<std::string>{"B:1", "A:2", "C:2", "D:4"}));
    EXPECT_EQ(SortKindOfDemoMode(2), TDemoSortKind::AveragePower);
    EXPECT_EQ(SortKindOfDemoMode(3), TDemoSortKind::Steady);
}

TEST(DemoRanking, TheGridShowsTheColumnsOfTheKind) {
    const std::vector<TKLTDemoResult> results = {Result("A", 200, 400, 50)};
    const TDemoRankedResult first = RankDemoResults(results, TDemoSortKind::Steady)[0];
    EXPECT_EQ(DemoGridColumns(TDemoSortKind::Steady),
              (std::vector<std::string>{"Pos", "LastName", "FirstName", "AveragePower", "Failure"}));
    EXPECT_EQ(DemoGridRow(first, TDemoSortKind::Steady),
              (std::vector<std::string>{"1", "A", "Ann", "200", "50"}));
    EXPECT_EQ(DemoGridColumns(TDemoSortKind::MaxPower).back(), "MaxPower");
    EXPECT_EQ(DemoGridRow(first, TDemoSortKind::MaxPower).back(), "400");
    EXPECT_EQ(DemoGridRow(first, TDemoSortKind::AveragePower).back(), "200");
}

TEST(DemoResultFile, LinesHaveFixedColumnsAndNamesReadBackTrimmedAndCut) {
    TKLTDemoResult full = Result("Wolfeschlegelsteinha", 251, 612, 1234567890);
    full.SetFirstName("  Marie-Th\xC3\xA9r\xC3\xA8se von Hohenzollern\n");
    full.Spare = -7;
    EXPECT_EQ(full.LastName(), "Wolfeschlegelsteinha");
    EXPECT_EQ(full.FirstName(), "Marie-Th\xC3\xA9r\xC3\xA8se von Ho"); // 20 characters, 22 bytes
    const TKLTDemoResult plain = Result("Li", 90, 100, 0);
    const std::string text = WriteDemoResultText({full, plain});
    EXPECT_EQ(text,
              "WolfeschlegelsteinhaMarie-Th\xC3\xA9r\xC3\xA8se von Ho  251 20001234567890  612        -7\n"
              "Li                  Ann                    90 2000         0  100         0\n");
    EXPECT_EQ(ReadDemoResultText(text, "x.rst"), (std::vector<TKLTDemoResult>{full, plain}));
    // Windows line ends, an empty line and a value too wide for its field as it was never written.
    TKLTDemoResult wide = plain;
    wide.AveragePower = 123456;
    EXPECT_EQ(WriteDemoResultText({wide}), WriteDemoResultText({Result("Li", 99999, 100, 0)}));
    EXPECT_EQ(ReadDemoResultText(WriteDemoResultText({plain}) + "\r\n", "x.rst").size(), 1u);
}

TEST(DemoResultFile, ADamagedTextNamesTheFileAndTheLine) {
    const std::string good = WriteDemoResultText({Result("Li", 90, 100, 0)});
    for (const std::string& bad : {good + "Li short\n", good + good.substr(0, 60) + "x" + good.substr(61),
                                   good + std::string(40, ' ') + "  1  2  3  4  5  6\n",
                                   good + std::string(40, ' ') + "123456 1 1 1 1\n"}) {
        try {
            ReadDemoResultText(bad, "/d/Juniors.rst");
            ADD_FAILURE() << bad;
        } catch (const EDemoResultsDamaged& error) {
            EXPECT_EQ(error.Message().substr(0, error.Message().find('\r')), "File:/d/Juniors.rst damaged");
            EXPECT_NE(error.Message().find("line 2"), std::string::npos) << error.Message();
        }
    }
    std::string many;
    for (size_t i = 0; i <= kMaxDemoResults; ++i) {
        many += good;
    }
    EXPECT_THROW(ReadDemoResultText(many, "x.rst"), EDemoResultsDamaged);
}

TEST(DemoResultFile, ACategoryNameNeverLeavesTheResultsFolder) {
    EXPECT_EQ(DemoResultFileName("Juniors 200 W"), "Juniors 200 W.rst");
    EXPECT_EQ(DemoResultFileName("../../etc/passwd"), "%2E.%2F..%2Fetc%2Fpasswd.rst");
    EXPECT_EQ(DemoResultFileName(".."), "%2E..rst");
    EXPECT_EQ(DemoResultFileName("a\\b\n100%"), "a%5Cb%0A100%25.rst");
    EXPECT_EQ(DemoResultPath("/opt", "x/y"), "/opt/DemoMode/x%2Fy.rst");
    for (const std::string name : {"../../etc/passwd", "..", "a\\b\n100%", "Juniors"}) {
        EXPECT_EQ(DemoCategorieNameOfFile(DemoResultFileName(name)), name);
    }
    const std::string longName(70, '/'); // every character escaped: 210 bytes
    const std::string fileName = DemoResultFileName(longName);
    EXPECT_LE(fileName.size(), 204u);
    EXPECT_EQ(fileName.substr(fileName.size() - 7), "%2F.rst");
}

class DemoCategory : public ::testing::Test {
protected:
    DemoCategory() {
        TKLTDemoCategorie juniors;
        juniors.SetName("Juniors");
        juniors.Watt = 1600;
        options_.Categories.PutItem(0, juniors);
        TKLTDemoCategorie masters = juniors;
        masters.SetName("Masters/Old");
        options_.Categories.PutItem(1, masters);
    }

    std::string Path(std::string_view name) const { return DemoResultPath(dir_.Path(), name); }

    TTempDir dir_;
    TOnlineDemoModeOptionSet options_;
    test::TScriptedPrompt prompt_;
};

TEST_F(DemoCategory, ResultsAreWrittenAndReadBackPerCategory) {
    TKLTDemoResults results(dir_.Path(), options_);
    results.Load(); // no files yet
    results.Categorie(0)->Add(Result("A", 200, 400, 50));
    results.Categorie(1)->Add(Result("B", 210, 300, 40));
    results.Categorie(1)->Add(Result("C", 220, 310, 30));
    EXPECT_TRUE(fs::exists(Path("Juniors")));
    EXPECT_TRUE(fs::exists(dir_.File("DemoMode/Masters%2FOld.rst")));
    TKLTDemoResults reread(dir_.Path(), options_);
    reread.Load();
    EXPECT_EQ(reread.Categorie(1)->Results(), results.Categorie(1)->Results());
    EXPECT_EQ(reread.Categorie(0)->Results().size(), 1u);
    EXPECT_EQ(reread.Categorie(2), nullptr);
    EXPECT_TRUE(prompt_.shown.empty());
}

TEST_F(DemoCategory, CategoriesOfOneNameShareTheirResultsInsteadOfOverwritingEachOther) {
    TKLTDemoCategorie again = *options_.Categories.Item(0);
    again.Watt = 2400;
    options_.Categories.PutItem(2, again);
    TKLTDemoResults results(dir_.Path(), options_);
    results.Load();
    results.Categorie(0)->Add(Result("A", 200, 400, 50));
    results.Categorie(2)->Add(Result("B", 300, 400, 50));
    EXPECT_EQ(ReadDemoResultFile(Path("Juniors")).size(), 2u);
    EXPECT_EQ(results.Categorie(0)->Results().size(), 2u);
}

TEST_F(DemoCategory, TheThousandthResultTakesTheLastPlaceAndSoDoesEveryLaterOne) {
    std::vector<TKLTDemoResult> stored;
    for (int i = 1; i <= 998; ++i) {
        stored.push_back(Result("R" + std::to_string(i), i, i, i));
    }
    fs::create_directories(dir_.File("DemoMode"));
    WriteFileBytes(Path("Juniors"), WriteDemoResultText(stored));
    TKLTDemoCategoryResults category(Path("Juniors"));
    category.Load();
    category.Add(Result("R999", 1, 1, 1));
    ASSERT_EQ(category.Results().size(), 999u);
    EXPECT_EQ(category.Results().back().LastName(), "R999");
    category.Add(Result("R1000", 1, 1, 1));
    category.Add(Result("R1001", 1, 1, 1));
    EXPECT_EQ(category.Results().size(), 999u);
    EXPECT_EQ(category.Results()[997].LastName(), "R998");
    EXPECT_EQ(category.Results().back().LastName(), "R1001");
    TKLTDemoCategoryResults reread(Path("Juniors"));
    reread.Load();
    EXPECT_EQ(reread.Results(), category.Results());
}

TEST_F(DemoCategory, AFailedWriteKeepsTheOldFileAndTheNewResultInMemory) {
    TKLTDemoCategoryResults category(Path("Juniors"));
    category.Add(Result("A", 200, 400, 50));
    const std::string before = ReadFileBytes(Path("Juniors"));
    {
        test::TFileSizeLimit full(before.size() + 10);
        try {
            category.Add(Result("B", 200, 400, 50));
            ADD_FAILURE() << "a full disk went unnoticed";
        } catch (const EInOutError& error) {
            EXPECT_EQ(error.Message().rfind("Cannot open File " + Path("Juniors"), 0), 0u) << error.Message();
        }
    }
    EXPECT_EQ(ReadFileBytes(Path("Juniors")), before);
    EXPECT_EQ(category.Results().size(), 2u);
}

TEST_F(DemoCategory, ADamagedFileIsReportedAndKeptAsideInsteadOfOverwritten) {
    fs::create_directories(dir_.File("DemoMode"));
    const std::string damaged = "this is no results file\n";
    WriteFileBytes(Path("Juniors"), damaged);
    WriteFileBytes(Path("Juniors") + ".damaged", "an earlier one");
    TKLTDemoCategoryResults category(Path("Juniors"));
    category.Load();
    ASSERT_EQ(prompt_.shown.size(), 1u);
    EXPECT_EQ(prompt_.shown[0].text.rfind("File:" + Path("Juniors") + " damaged", 0), 0u)
        << prompt_.shown[0].text;
    EXPECT_EQ(ReadFileBytes(Path("Juniors") + ".damaged"), "an earlier one");
    EXPECT_EQ(ReadFileBytes(Path("Juniors") + ".damaged.1"), damaged);
    EXPECT_TRUE(category.Results().empty());
    category.Add(Result("A", 200, 400, 50));
    EXPECT_EQ(ReadDemoResultFile(Path("Juniors")).size(), 1u);

    WriteFileBytes(Path("Masters"), std::string(300 * 1024, ' ')); // too large to be results
    TKLTDemoCategoryResults large(Path("Masters"));
    large.Load();
    EXPECT_TRUE(fs::exists(Path("Masters") + ".damaged"));
}

TEST_F(DemoCategory, AFileThatCannotBeReadIsSkippedAndNotWrittenOver) {
    fs::create_directories(Path("Juniors")); // a folder where the file should be
    TKLTDemoCategoryResults category(Path("Juniors"));
    category.Load();
    ASSERT_EQ(prompt_.shown.size(), 1u);
    EXPECT_EQ(prompt_.shown[0].text.rfind("Error open File " + Path("Juniors"), 0), 0u);
    EXPECT_THROW(category.Add(Result("A", 200, 400, 50)), EInOutError);
    EXPECT_EQ(category.Results().size(), 1u);
    EXPECT_TRUE(fs::is_directory(Path("Juniors")));
}

TEST_F(DemoCategory, ClearingKeepsTheResultsAsBackupAfterTheQuestion) {
    TKLTDemoResults results(dir_.Path(), options_);
    results.Categorie(0)->Add(Result("Old", 200, 400, 50));
    results.Categorie(0)->Clear();
    results.Categorie(0)->Add(Result("New", 200, 400, 50));
    results.Categorie(1)->Add(Result("B", 200, 400, 50));
    const std::string newer = ReadFileBytes(Path("Juniors"));

    test::TScriptedPrompt clearOne({TPromptAnswer::Cancel, TPromptAnswer::Ok});
    EXPECT_FALSE(results.ClearCategorie(0));
    EXPECT_EQ(results.Categorie(0)->Results().size(), 1u);
    EXPECT_TRUE(results.ClearCategorie(0));
    ASSERT_EQ(clearOne.shown.size(), 2u);
    EXPECT_EQ(clearOne.shown[0].caption, "Attention");
    EXPECT_EQ(clearOne.shown[0].text, "Are you sure to delete this Categorie? All Datas will be lost");
    EXPECT_TRUE(results.Categorie(0)->Results().empty());
    EXPECT_FALSE(fs::exists(Path("Juniors")));
    EXPECT_EQ(ReadFileBytes(dir_.File("DemoMode/Juniors.bak")), newer); // the older backup replaced

    // Clearing a category without results keeps its backup, the only copy left.
    test::TScriptedPrompt clearAll({TPromptAnswer::Ok});
    EXPECT_TRUE(results.ClearAll());
    ASSERT_EQ(clearAll.shown.size(), 1u);
    EXPECT_EQ(clearAll.shown[0].text, "Are you sure to delete all Categories? All Datas will be lost");
    EXPECT_EQ(ReadFileBytes(dir_.File("DemoMode/Juniors.bak")), newer);
    EXPECT_TRUE(fs::exists(dir_.File("DemoMode/Masters%2FOld.bak")));
    EXPECT_TRUE(results.Categorie(1)->Results().empty());
}

TEST_F(DemoCategory, ADemoRunThatCannotBeWrittenIsToldAndKeptInMemory) {
    TKLTOnlineDatas samples;
    for (int i = 0; i < 12; ++i) {
        TKLTOnlineData sample;
        sample.SetValue(dcPower, 200);
        samples.Append(sample);
    }
    const TDemoPerson person{"Ann", "Li", 1};
    TKLTDemoResults results(dir_.Path(), options_);
    results.Load();
    fs::remove_all(dir_.File("DemoMode"));
    test::WriteFileBytes(dir_.File("DemoMode"), "in the way");
    try {
        RecordDemoRun(results, options_, samples, person);
        ADD_FAILURE() << "a results file that cannot be written is told";
    } catch (const EInOutError& error) {
        EXPECT_NE(std::string(error.what()).find("Cannot open File"), std::string::npos) << error.what();
    }
    EXPECT_EQ(results.Categorie(1)->Results().size(), 1u);
}

using Rows = std::vector<std::vector<std::string>>;

class DemoResultsViewTest : public ::testing::Test {
protected:
    DemoResultsViewTest() {
        for (const char* name : {"Juniors", "Masters"}) {
            TKLTDemoCategorie categorie;
            categorie.SetName(name);
            options_.OnlineDemoModeOptionSet.Categories.PutItem(99, categorie);
        }
        TKLTDemoResults results(dir_.Path(), options_.OnlineDemoModeOptionSet);
        for (const TKLTDemoResult& result :
             {Result("A", 200, 400, 50), Result("B", 250, 380, 30), Result("C", 200, 420, 30)}) {
            results.Categorie(1)->Add(result);
        }
    }

    test::TTempDir dir_;
    TOnlineOptions options_{dir_.Path()};
    test::TScriptedPrompt prompt_;
};

TEST_F(DemoResultsViewTest, OpensOnTheCategoryInTheOrderOfTheDemoKind) {
    options_.OnlineDemoModeOptionSet.DemoMode = 1;
    TDemoResultsView view(options_, 1);
    EXPECT_EQ(view.CategorieNames(), (std::vector<std::string>{"Juniors", "Masters"}));
    EXPECT_EQ(view.CategorieName(), "Masters");
    EXPECT_EQ(view.SortKind(), TDemoSortKind::MaxPower);
    EXPECT_EQ(view.Columns(), (std::vector<std::string>{"Pos", "LastName", "FirstName", "MaxPower"}));
    EXPECT_EQ(view.Rows(), (Rows{{"1", "C", "Ann", "420"}, {"2", "A", "Ann", "400"}, {"3", "B", "Ann", "380"}}));
    EXPECT_TRUE(view.NumberColumn(0));
    EXPECT_FALSE(view.NumberColumn(1));
    EXPECT_TRUE(view.NumberColumn(3));
    EXPECT_FALSE(view.NumberColumn(4));

    view.SelectCategorie(0);
    EXPECT_TRUE(view.Rows().empty());
    view.SelectCategorie(7); // no such category: the shown one stays
    EXPECT_EQ(view.Categorie(), 0);
    EXPECT_TRUE(prompt_.shown.empty());
}

TEST_F(DemoResultsViewTest, ASortChangeShowsItsColumnsAndBecomesTheDemoKind) {
    options_.OnlineDemoModeOptionSet.DemoMode = 3; // "Race" keeps no ranking of its own
    TDemoResultsView view(options_, 1);
    EXPECT_EQ(view.SortKind(), TDemoSortKind::Steady);
    EXPECT_EQ(view.Rows(), (Rows{{"1", "B", "Ann", "250", "30"}, {"1", "C", "Ann", "200", "30"},
                                 {"3", "A", "Ann", "200", "50"}}));

    view.SetSortKind(TDemoSortKind::AveragePower);
    EXPECT_EQ(options_.OnlineDemoModeOptionSet.DemoMode, 2);
    EXPECT_EQ(view.Columns().back(), "AveragePower");
    EXPECT_EQ(view.Rows(), (Rows{{"1", "B", "Ann", "250"}, {"2", "A", "Ann", "200"}, {"2", "C", "Ann", "200"}}));
    EXPECT_EQ(TDemoResultsView(options_, 1).SortKind(), TDemoSortKind::AveragePower);
}

TEST_F(DemoResultsViewTest, WithoutCategoriesNothingIsShownOrCleared) {
    options_.OnlineDemoModeOptionSet.Categories.SetDefaults();
    TDemoResultsView view(options_, 0);
    EXPECT_EQ(view.Categorie(), -1);
    EXPECT_EQ(view.CategorieName(), "");
    EXPECT_TRUE(view.Rows().empty());
    EXPECT_FALSE(view.ClearCategorie());
    EXPECT_TRUE(prompt_.shown.empty()) << "nothing to ask about";
}

TEST_F(DemoResultsViewTest, ClearingAsksFirstAndAFailureIsShownNotThrown) {
    TDemoResultsView view(options_, 5); // out of range: the first category
    EXPECT_EQ(view.Categorie(), 0);
    view.SelectCategorie(1);

    test::TScriptedPrompt cancel({TPromptAnswer::Cancel});
    EXPECT_FALSE(view.ClearCategorie());
    EXPECT_EQ(view.Rows().size(), 3u);

    // A backup that cannot be replaced: a folder in its place.
    const std::string path = DemoResultPath(dir_.Path(), "Masters");
    std::filesystem::create_directories(std::filesystem::path(path).replace_extension(".bak") / "x");
    test::TScriptedPrompt failing({TPromptAnswer::Ok});
    EXPECT_FALSE(view.ClearCategorie());
    ASSERT_EQ(failing.shown.size(), 2u);
    EXPECT_EQ(failing.shown[1].caption, "Attention");
    EXPECT_NE(failing.shown[1].text.find("Masters.bak"), std::string::npos) << failing.shown[1].text;
    EXPECT_EQ(view.Rows().size(), 3u) << "results stay when their file stays";
    EXPECT_EQ(ReadDemoResultFile(path).size(), 3u);

    std::filesystem::remove_all(std::filesystem::path(path).replace_extension(".bak"));
    test::TScriptedPrompt ok({TPromptAnswer::Ok});
    EXPECT_TRUE(view.ClearAll());
    EXPECT_TRUE(view.Rows().empty());
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(path).replace_extension(".bak")));
}

} // namespace
} // namespace klt

// The results window's controller: the category and order shown, and clearing through the prompt.
#include <gtest/gtest.h>

#include <filesystem>

#include "online/DemoResultFile.h"
#include "online/DemoResultsView.h"
#include "tests/support/RawTraining.h"
#include "tests/support/ScriptedPrompt.h"

namespace klt {
namespace {

using Rows = std::vector<std::vector<std::string>>;

TKLTDemoResult Result(std::string_view lastName, int average, int maximum, int failure) {
    TKLTDemoResult result;
    result.SetLastName(lastName);
    result.SetFirstName("Ann");
    result.AveragePower = average;
    result.MaxPower = maximum;
    result.Failure = failure;
    return result;
}

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

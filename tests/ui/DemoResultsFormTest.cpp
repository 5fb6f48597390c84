// The demo results window offscreen: a category with a results file, the order, clearing after
// the question, printing to a PDF and an image.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QPdfWriter>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <filesystem>

#include "online/DemoResultFile.h"
#include "tests/support/RawTraining.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/ui/UiShots.h"
#include "ui/DemoResultsForm.h"
#include "ui/DemoResultsPrint.h"

namespace klt {
namespace {

class DemoResultsFormTest : public ::testing::Test {
protected:
    DemoResultsFormTest() {
        for (const char* name : {"Juniors", "Open 250 W"}) {
            TKLTDemoCategorie categorie;
            categorie.SetName(name);
            categorie.Watt = 2000;
            options_.OnlineDemoModeOptionSet.Categories.PutItem(99, categorie);
        }
        std::vector<TKLTDemoResult> results;
        const char* names[][2] = {{"Keller", "Anna"}, {"Okafor", "Chidi"}, {"Lindqvist", "Sven"},
                                  {"Moreau", "Claire"}, {"Tanaka", "Yui"}};
        for (int i = 0; i < 5; ++i) {
            TKLTDemoResult result;
            result.SetLastName(names[i][0]);
            result.SetFirstName(names[i][1]);
            result.AveragePower = 240 + 7 * i;
            result.MaxPower = 610 - 40 * i;
            result.Failure = i == 2 ? 411 : 300 + 37 * i;
            results.push_back(result);
        }
        std::filesystem::create_directories(dir_.File("DemoMode"));
        test::WriteFileBytes(DemoResultPath(dir_.Path(), "Open 250 W"), WriteDemoResultText(results));
    }

    static QStringList Column(const QTableWidget& grid, int column) {
        QStringList cells;
        for (int row = 0; row < grid.rowCount(); ++row) {
            cells << grid.item(row, column)->text();
        }
        return cells;
    }

    test::TTempDir dir_;
    TOnlineOptions options_{dir_.Path()};
    test::TScriptedPrompt prompt_;
};

TEST_F(DemoResultsFormTest, OpensOnTheCategoryAndTheSortChangesColumnsAndTheDemoKind) {
    TDemoResultsForm form(options_, 1);
    form.show();
    EXPECT_EQ(form.CategorieBox().currentText(), "Open 250 W");
    EXPECT_EQ(form.SortBox().currentText(), "Steady");
    QTableWidget& grid = form.Grid();
    ASSERT_EQ(grid.rowCount(), 5);
    EXPECT_EQ(grid.columnCount(), 5);
    EXPECT_EQ(grid.horizontalHeaderItem(4)->text(), "Failure");
    EXPECT_EQ(Column(grid, 1), (QStringList{"Keller", "Okafor", "Lindqvist", "Moreau", "Tanaka"}));
    EXPECT_EQ(Column(grid, 0), (QStringList{"1", "2", "3", "3", "5"})) << "equal failures share the place";
    EXPECT_EQ(grid.item(0, 4)->textAlignment(), int(Qt::AlignRight | Qt::AlignVCenter));

    QTest::keyClick(&form.SortBox(), Qt::Key_Down); // "Max Power"
    EXPECT_EQ(options_.OnlineDemoModeOptionSet.DemoMode, 1);
    EXPECT_EQ(grid.columnCount(), 4);
    EXPECT_EQ(grid.horizontalHeaderItem(3)->text(), "MaxPower");
    EXPECT_EQ(grid.item(0, 3)->text(), "610");

    form.CategorieBox().setCurrentIndex(0);
    EXPECT_EQ(grid.rowCount(), 0);
    EXPECT_FALSE(form.ClearCategorieButton().isEnabled());
    EXPECT_TRUE(prompt_.shown.empty());
}

TEST_F(DemoResultsFormTest, ClearCategorieAsksAndKeepsTheResultsAsBackup) {
    TDemoResultsForm form(options_, 1);
    prompt_.shown.clear();
    test::TScriptedPrompt answers({TPromptAnswer::Cancel, TPromptAnswer::Ok});
    QTest::mouseClick(&form.ClearCategorieButton(), Qt::LeftButton);
    EXPECT_EQ(form.Grid().rowCount(), 5);
    QTest::mouseClick(&form.ClearCategorieButton(), Qt::LeftButton);
    ASSERT_EQ(answers.shown.size(), 2u);
    EXPECT_EQ(answers.shown[1].text, "Are you sure to delete this Categorie? All Datas will be lost");
    EXPECT_EQ(form.Grid().rowCount(), 0);
    EXPECT_TRUE(std::filesystem::exists(dir_.File("DemoMode/Open 250 W.bak")));
}

TEST_F(DemoResultsFormTest, ADamagedFileIsReportedAndTheWindowStillOpens) {
    test::WriteFileBytes(DemoResultPath(dir_.Path(), "Juniors"), "not a result\n");
    TDemoResultsForm form(options_, 0);
    ASSERT_EQ(prompt_.shown.size(), 1u);
    EXPECT_NE(prompt_.shown[0].text.find("damaged"), std::string::npos) << prompt_.shown[0].text;
    EXPECT_EQ(form.Grid().rowCount(), 0);
}

TEST_F(DemoResultsFormTest, PrintsTheRankingToAPdfAndAnImage) {
    TDemoResultsForm form(options_, 1);
    const QString pdf = QString::fromStdString(dir_.File("ranking.pdf"));
    {
        QPdfWriter writer(pdf);
        EXPECT_TRUE(form.PrintTo(writer));
    }
    QFile printed(pdf);
    ASSERT_TRUE(printed.open(QIODevice::ReadOnly));
    EXPECT_TRUE(printed.read(5).startsWith("%PDF"));

    // The page routine alone: every row fits one image, and a page too short for all rows says
    // where the next page goes on.
    QImage page(800, 1000, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    EXPECT_EQ(PaintDemoResultsPage(painter, page.rect(), form.View(), 0), 5);
    painter.end();
    test::SaveUiShot(page, "demo-results-print.png");
    painter.begin(&page);
    const int rowsOnShortPage = PaintDemoResultsPage(painter, QRect(0, 0, 800, 140), form.View(), 0);
    EXPECT_GT(rowsOnShortPage, 0);
    EXPECT_LT(rowsOnShortPage, 5);
    EXPECT_EQ(PaintDemoResultsPage(painter, page.rect(), form.View(), 4), 5);
    painter.end();

    // A page without room for one row is a failure the user sees, not an endless print.
    QPdfWriter tiny(QString::fromStdString(dir_.File("tiny.pdf")));
    tiny.setPageSize(QPageSize(QSizeF(30, 12), QPageSize::Millimeter));
    tiny.setPageMargins(QMarginsF());
    prompt_.shown.clear();
    EXPECT_FALSE(form.PrintTo(tiny));
    ASSERT_EQ(prompt_.shown.size(), 1u);
    EXPECT_EQ(prompt_.shown[0].text, "The ranking could not be printed");
}

// With KLT_UI_SHOTS naming a folder, the window is saved there as a picture.
TEST_F(DemoResultsFormTest, CanBeGrabbed) {
    TDemoResultsForm form(options_, 1);
    form.show();
    const QPixmap shot = form.grab();
    EXPECT_FALSE(shot.isNull());
    test::SaveUiShot(shot, "demo-results.png");
}

} // namespace
} // namespace klt

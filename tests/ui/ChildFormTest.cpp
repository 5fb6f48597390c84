#include <QCoreApplication>
#include <QLineSeries>
#include <QTableView>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "core/MesswertColours.h"
#include "tests/support/AnalysisRides.h"
#include "tests/support/ImageChecks.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/ui/UiShots.h"
#include "tests/ui/FakeDocumentHost.h"
#include "ui/DataEditFrame.h"
#include "ui/DiagramPaintBox.h"
#include "ui/KLTChart.h"
#include "ui/MarkerTabBar.h"

namespace klt {
namespace {

using test::TFakeDocumentHost;
using test::TScriptedPrompt;

class ChildForm : public ::testing::Test {
protected:
    std::unique_ptr<TKLTChildForm> Open(const std::string& path) {
        auto form = std::make_unique<TKLTChildForm>(path, host_);
        host_.active = form.get();
        form->show();
        return form;
    }

    TFakeDocumentHost host_;
};

TEST_F(ChildForm, TwoWindowsOnOneTrainingCarryTheirViewNumbers) {
    const std::string path = host_.WriteRide();
    auto first = Open(path);
    auto second = Open(path);
    EXPECT_TRUE(first->windowTitle().endsWith(";1")) << first->windowTitle().toStdString();
    EXPECT_TRUE(second->windowTitle().endsWith(";2")) << second->windowTitle().toStdString();
    EXPECT_EQ(first->CaptionText(), first->windowTitle().toStdString());
    second.reset();
    EXPECT_FALSE(first->windowTitle().contains(';'));
    EXPECT_GE(host_.historyChanges, 3);
}

TEST_F(ChildForm, AMissingTrainingOpensNoWindow) {
    EXPECT_ANY_THROW(TKLTChildForm(host_.dir.File("missing.klt"), host_));
    EXPECT_TRUE(host_.configuration.FileHistory.Items().empty());
}

TEST_F(ChildForm, FunctionKeysSwitchViewsAndEachViewShowsItsPart) {
    auto form = Open(host_.WriteRide());
    EXPECT_EQ(form->CurrentViewWidget(), form->PaintBox());
    QTest::keyClick(form->PaintBox(), Qt::Key_F6);
    EXPECT_EQ(form->View(), gtMultiRow);
    QTest::keyClick(form->PaintBox(), Qt::Key_F7);
    EXPECT_EQ(form->View(), gtAnalyse);
    EXPECT_TRUE(form->IsPaintBoxView());

    form->SetView(gtStatistical);
    EXPECT_EQ(form->CurrentViewWidget(), form->StatisticsChart());
    EXPECT_EQ(form->StatisticsChart()->chart()->series().size(), 4);
    EXPECT_EQ(form->MarkerTabAt(form->MarkerTabs()->mapToGlobal(QPoint(5, 5))), -2);
    QTest::keyClick(form->StatisticsChart(), Qt::Key_F6);
    EXPECT_EQ(form->View(), gtSingleRow);
    EXPECT_EQ(form->PaintBox()->cursor().shape(), Qt::CrossCursor);

    form->SetView(gtEdit);
    ASSERT_NE(form->DataEditor(), nullptr);
    EXPECT_EQ(form->CurrentViewWidget(), form->DataEditor());
}

TEST_F(ChildForm, MarkerTabsFollowTheArrowKeys) {
    auto form = Open(host_.WriteRide());
    TMarkerTabBar* tabs = form->MarkerTabs();
    ASSERT_EQ(tabs->count(), form->File().MarkerCount());
    ASSERT_GE(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(0), "(0) File ");

    QTest::keyClick(tabs, Qt::Key_Right);
    EXPECT_EQ(form->CurrentMarker(), 1);
    EXPECT_EQ(tabs->currentIndex(), 1);
    QTest::keyClick(form->PaintBox(), Qt::Key_Down);
    EXPECT_EQ(form->CurrentMarker(), 1) << "the next interval lies outside this one";
    QTest::keyClick(form->PaintBox(), Qt::Key_Up);
    EXPECT_EQ(form->CurrentMarker(), 0);
    QTest::keyClick(form->PaintBox(), Qt::Key_Up);
    EXPECT_EQ(form->CurrentMarker(), 0);
    QTest::keyClick(form->PaintBox(), Qt::Key_Down);
    EXPECT_EQ(form->CurrentMarker(), 1);

    tabs->setCurrentIndex(2);
    EXPECT_EQ(form->CurrentMarker(), 2);
    EXPECT_TRUE(form->windowTitle().contains(QString::fromStdString(form->File().Marker(2).name)));

    const QPoint onTab = tabs->mapToGlobal(tabs->tabRect(2).center());
    EXPECT_EQ(form->MarkerTabAt(onTab), 2);
    EXPECT_EQ(form->MarkerTabAt(tabs->mapToGlobal(QPoint(-5, -5))), -1);
}

TEST_F(ChildForm, TypingIntoTheDataEditorChangesTheTableAndItsChart) {
    auto form = Open(host_.WriteRide());
    form->SetView(gtEdit);
    TDataEditFrame* editor = form->DataEditor();
    QTableView* grid = editor->Grid();
    EXPECT_EQ(grid->model()->rowCount(), 6);
    EXPECT_EQ(grid->model()->columnCount(), form->File().SampleCount());
    EXPECT_EQ(editor->Chart()->chart()->series().size(), 3);

    QTest::keyClick(grid, Qt::Key_Right);
    EXPECT_EQ(grid->currentIndex().column(), 1);
    QTest::keyClicks(grid, "250");
    EXPECT_EQ(grid->model()->index(0, 1).data().toString(), "250");
    EXPECT_EQ(form->Document().TrainingData().Sample(1).Value(dcPower), 250);
    auto* power = qobject_cast<QLineSeries*>(editor->Chart()->chart()->series().front());
    ASSERT_NE(power, nullptr);
    EXPECT_EQ(power->at(1).y(), 250);
    QTest::keyClick(grid, Qt::Key_0);
    EXPECT_EQ(form->Document().TrainingData().Sample(1).Value(dcPower), 2500);
    QTest::keyClick(grid, Qt::Key_0);
    EXPECT_EQ(form->Document().TrainingData().Sample(1).Value(dcPower), 2500) << "25000 W is refused";
    QTest::keyClick(grid, Qt::Key_Enter);
    QTest::keyClick(grid, Qt::Key_Backspace);
    EXPECT_EQ(form->Document().TrainingData().Sample(1).Value(dcPower), 250);

    QTest::keyClick(grid, Qt::Key_Left);
    QTest::keyClick(grid, Qt::Key_Left);
    EXPECT_EQ(grid->currentIndex().column(), 0) << "the cell stays inside the marker";
}

TEST_F(ChildForm, ClosingWithTableEditsFollowsTheAnswers) {
    auto form = Open(host_.WriteRide());
    form->SetView(gtEdit);
    QTest::keyClicks(form->DataEditor()->Grid(), "99");
    {
        TScriptedPrompt prompt({TPromptAnswer::Cancel});
        EXPECT_FALSE(form->close());
        EXPECT_TRUE(form->isVisible());
    }
    {
        TScriptedPrompt prompt({TPromptAnswer::Yes});
        EXPECT_TRUE(form->close());
        EXPECT_EQ(prompt.AnswersLeft(), 0u);
    }
    EXPECT_EQ(form->File().Sample(1).Power(), 99 * 8);
    EXPECT_FALSE(form->File().Modified());
}

TEST_F(ChildForm, DoubleClickAsksForTheOptionsAndTheTabsOfferTheMarkerMenu) {
    auto form = Open(host_.WriteRide());
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::mouseDClick(form->PaintBox(), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(host_.optionsDialogs, 1);
    TMarkerTabBar* tabs = form->MarkerTabs();
    emit tabs->customContextMenuRequested(tabs->tabRect(1).center());
    EXPECT_EQ(host_.lastTabHit, 1);
}

TEST_F(ChildForm, PrintingRendersTheShownView) {
    auto form = Open(host_.WriteRide());
    form->SetView(gtStatistical);
    QImage page(400, 300, QImage::Format_RGB32);
    page.fill(Qt::black);
    {
        QPainter painter(&page);
        form->PrintTo(painter, QRect(10, 10, 380, 280));
    }
    EXPECT_EQ(page.pixelColor(50, 50), QColor(Qt::white)) << "the chart's white page";
    EXPECT_EQ(page.pixelColor(5, 5), QColor(Qt::black)) << "nothing outside the rectangle";
}

TEST_F(ChildForm, StatisticsAxesAreTitledInTheirColoursAndKeepFixedLimits) {
    host_.configuration.SystemData.UnitsSPD = 1;
    TStatisticChartOptionSet& statistics = host_.tree.Sets().StatisticChartOptionSet;
    statistics.LeftAxis = {true, 0, 5 * TChartAxisOption::kScale / 2}; // 0 to 2.5 %
    auto form = Open(host_.WriteRide());
    form->SetView(gtStatistical);
    TKLTChart* chart = form->StatisticsChart();
    EXPECT_DOUBLE_EQ(chart->LeftAxis()->max(), 2.5);
    EXPECT_GT(chart->RightAxis()->max(), 0);
    const QString left = chart->LeftAxis()->titleText();
    EXPECT_TRUE(left.contains("color:#008000") && left.contains("(Watt)")) << left.toStdString();
    const QString right = chart->RightAxis()->titleText();
    for (const char* part :
         {"color:#ff0000", "(1/min)", "color:#0000ff", "(R/min)", "color:#800080", "(m/s)"}) {
        EXPECT_TRUE(right.contains(QLatin1String(part))) << part << " in " << right.toStdString();
    }
}

TEST_F(ChildForm, HoveringATabPreviewsTheMarker) {
    auto form = Open(host_.WriteRide());
    TMarkerTabBar* tabs = form->MarkerTabs();
    QTest::mouseMove(tabs, tabs->tabRect(2).center());
    const TKLTMarker& marker = form->File().Marker(2);
    EXPECT_NE(host_.hint.find(marker.name), std::string::npos) << host_.hint;
    EXPECT_TRUE(form->File().SelectionActive());
    EXPECT_EQ(form->File().SelectionFirst(), marker.first);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(tabs, &leave);
    EXPECT_FALSE(form->File().SelectionActive());
    EXPECT_TRUE(host_.hint.empty());
}

TEST_F(ChildForm, DeletingTheTrainingClosesItsWindowsWithoutQuestions) {
    const std::string path = host_.WriteRide();
    auto first = Open(path);
    auto second = Open(path);
    second->SetView(gtEdit);
    QTest::keyClicks(second->DataEditor()->Grid(), "5");
    TScriptedPrompt prompt({TPromptAnswer::Yes});
    EXPECT_TRUE(first->File().Delete());
    EXPECT_EQ(prompt.shown.size(), 1u) << "only the question whether to delete";
    EXPECT_FALSE(first->isVisible());
    EXPECT_FALSE(second->isVisible());
    EXPECT_TRUE(first->File().Views().empty());
}

// With KLT_UI_SHOTS naming a folder, every view of a window is saved there as a picture.
TEST_F(ChildForm, ViewsCanBeGrabbed) {
    const QByteArray folder = qgetenv("KLT_UI_SHOTS");
    auto form = Open(host_.WriteRide());
    form->resize(900, 560);
    for (TKLTGraphicType view : {gtSingleRow, gtMultiRow, gtAnalyse, gtStatistical, gtRatio, gtEdit}) {
        form->SetView(view);
        QCoreApplication::processEvents(); // charts lay themselves out in the event loop
        const QPixmap shot = form->grab();
        EXPECT_FALSE(shot.isNull());
        if (!folder.isEmpty()) {
            shot.save(QString::fromUtf8(folder) + QStringLiteral("/view%1.png").arg(static_cast<int>(view)));
        }
    }
    form->SetCurrentMarker(2); // the editor keeps to an interval
    QTest::keyClick(form->DataEditor()->Grid(), Qt::Key_Right);
    QCoreApplication::processEvents();
    if (!folder.isEmpty()) {
        form->grab().save(QString::fromUtf8(folder) + QStringLiteral("/edit-marker.png"));
    }
}

TEST_F(ChildForm, AnalysisViewDrawsTheFittedLineAndAgainTheConconiAnalysis) {
    const std::string path = host_.dir.File("line.klt");
    test::WriteLineRide(path);
    auto form = Open(path);
    form->resize(900, 560);
    form->SetView(gtAnalyse);
    ASSERT_TRUE(form->IsPaintBoxView());
    const TRgb line = SlotColour(SlotRegressionLine);
    auto linePixels = [&] { return test::PixelsOf(form->PaintBox()->grab().toImage(), line); };
    EXPECT_GT(linePixels(), 200);
    test::SaveUiShot(form->grab(), "analysis-view.png");
    EXPECT_FALSE(form->Options().ShowConconiAnalyse);
    form->SetView(gtAnalyse); // pressed again: the step test
    EXPECT_TRUE(form->Options().ShowConconiAnalyse);
    EXPECT_GT(linePixels(), 200);
    test::SaveUiShot(form->grab(), "conconi-view.png");
}

// Pixels of the distribution view's power colour, as the colour palette draws it.
int PowerPixels(const QImage& image) {
    return test::PixelsOf(image, RatioBaseColour(rcPower));
}

TEST_F(ChildForm, TheDistributionViewIsDrawnPrintedAndReadOutInThePaintBox) {
    auto form = Open(host_.WriteRide());
    form->resize(900, 560);
    form->SetView(gtRatio);
    EXPECT_EQ(form->CurrentViewWidget(), form->PaintBox());
    EXPECT_TRUE(form->IsPaintBoxView());
    EXPECT_EQ(form->PaintBox()->cursor().shape(), Qt::ArrowCursor);
    const QImage drawn = form->PaintBox()->Image().copy();
    EXPECT_GT(PowerPixels(drawn), 50); // the other charts' power means
    test::SaveUiShot(form->grab(), "ratio-view.png");

    // The profile's settings changed, as the options dialog changes them: the view is drawn anew.
    host_.tree.Sets().RatioDataChartOptionSet.PowerSkala.Skala.SetVisible(false);
    TOptionData same;
    same.Assign(form->Options());
    form->ApplyOptions(same, false);
    EXPECT_LT(PowerPixels(form->PaintBox()->Image()), PowerPixels(drawn) / 5); // its chart's title alone
    host_.tree.Sets().RatioDataChartOptionSet.PowerSkala.Skala.SetVisible(true);
    form->ApplyOptions(same, false);

    QImage page(400, 300, QImage::Format_RGB32);
    page.fill(Qt::black);
    {
        QPainter painter(&page);
        form->PrintTo(painter, QRect(10, 10, 380, 280));
    }
    EXPECT_GT(PowerPixels(page), 10);
    EXPECT_EQ(page.pixelColor(5, 5), QColor(Qt::black)) << "nothing outside the rectangle";

    // The time of a bar under the mouse, in the lower half of the power chart.
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    const QRegularExpression time("^\\d+:\\d\\d:\\d\\d$");
    for (int y = form->PaintBox()->height() / 2 - 10; y > 100 && !time.match(host_.hint.c_str()).hasMatch(); y -= 10) {
        for (int x = 60; x < form->PaintBox()->width() / 2 && !time.match(host_.hint.c_str()).hasMatch(); x += 6) {
            QTest::mouseMove(form->PaintBox(), QPoint(x, y));
        }
    }
    EXPECT_TRUE(time.match(host_.hint.c_str()).hasMatch()) << host_.hint;
    QTest::mouseMove(form->PaintBox(), QPoint(2, 2));
    EXPECT_EQ(host_.hint, "");
}

} // namespace
} // namespace klt

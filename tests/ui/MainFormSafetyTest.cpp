// The main window keeps trainings safe: failed saves, and keys that belong to the diagrams.
#include <QAction>
#include <QApplication>
#include <QMdiSubWindow>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>

#include "core/Exceptions.h"
#include "core/KLTFile.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/ui/MainFormFixture.h"
#include "ui/DataEditFrame.h"
#include "ui/DiagramPaintBox.h"

namespace klt {
namespace {

namespace fs = std::filesystem;

// Saving fails for good: the training's folder is replaced by a regular file (as root, taking
// the write permission away would not stop the write).
void MakeSavingFail(const TKLTFile& file) {
    const fs::path folder = fs::path(file.FileName()).parent_path();
    fs::rename(folder, folder.string() + ".away");
    std::FILE* blocker = std::fopen(folder.c_str(), "w");
    ASSERT_NE(blocker, nullptr);
    std::fclose(blocker);
}

bool HasWarning(const test::TScriptedPrompt& prompt) {
    for (const auto& shown : prompt.shown) {
        if (!shown.question && shown.caption == "Warning") {
            return true;
        }
    }
    return false;
}

using MainFormSafety = KLTMainFormTest;

TEST_F(MainFormSafety, FailedSaveOnClosingKeepsTheProgramAndTheTrainingOpen) {
    TKLTMainForm& main = MakeForm();
    main.OpenTrainingFile(Outside("a.klt", "AA"));
    TKLTFile& file = Documents()[0]->File();
    file.SetComment("unsaved");
    MakeSavingFail(file);

    test::TScriptedPrompt prompt({TPromptAnswer::Yes, TPromptAnswer::Yes});
    EXPECT_FALSE(main.close());
    EXPECT_TRUE(main.isVisible());
    EXPECT_TRUE(HasWarning(prompt));
    ASSERT_EQ(Documents().size(), 1u);
    EXPECT_TRUE(file.Modified());
    EXPECT_EQ(file.Comment(), "unsaved");
}

TEST_F(MainFormSafety, FailedSaveCancelsTheSwitchToTheDataEditor) {
    TKLTMainForm& main = MakeForm();
    main.OpenTrainingFile(Outside("a.klt", "AA"));
    TKLTChildForm& document = *Documents()[0];
    document.File().SetComment("unsaved");
    MakeSavingFail(document.File());

    test::TScriptedPrompt prompt({TPromptAnswer::Yes});
    Action("EditDataButton")->trigger();
    EXPECT_TRUE(HasWarning(prompt));
    EXPECT_NE(document.View(), gtEdit);
    EXPECT_TRUE(document.File().Modified());
}

TEST_F(MainFormSafety, FailureInsideAnEventHandlerIsShownAndTheProgramGoesOn) {
    TKLTMainForm& main = MakeForm();
    test::TScriptedPrompt prompt;
    QTimer::singleShot(0, &main, [] { throw EInOutError("disk full"); });
    QTest::qWait(20);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].caption, "Warning");
    EXPECT_EQ(prompt.shown[0].text, "disk full");
    EXPECT_TRUE(main.isVisible());
}

// Every key the diagrams and document windows answer, as the user presses it on a diagram.
TEST_F(MainFormSafety, DiagramKeysReachTheDiagramAndStartNoCommand) {
    TKLTMainForm& main = MakeForm();
    main.OpenTrainingFile(Outside("a.klt", "AA"));
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    TKLTChildForm& document = *Documents()[0];
    document.SetView(gtMultiRow);
    QStringList started;
    for (QAction* action : main.findChildren<QAction*>()) {
        QObject::connect(action, &QAction::triggered, &main,
                         [&started, action] { started << action->objectName() + action->text(); });
    }
    QWidget* diagram = document.PaintBox();
    diagram->setFocus();

    const TPlotMarkerInfo markerInfo = document.Options().DiagrammMehrZ.PlotMarkerInfo;
    const bool helperLines = document.Options().GraphicData.HasOption(PlotHilfsLinieV);
    QTest::keyClick(diagram, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_NE(document.Options().DiagrammMehrZ.PlotMarkerInfo, markerInfo);
    QTest::keyClick(diagram, Qt::Key_X, Qt::ControlModifier);
    EXPECT_NE(document.Options().GraphicData.HasOption(PlotHilfsLinieV), helperLines);

    const Qt::KeyboardModifiers arrowModifiers[] = {Qt::NoModifier, Qt::AltModifier, Qt::ControlModifier,
                                                    Qt::ControlModifier | Qt::AltModifier,
                                                    Qt::ControlModifier | Qt::ShiftModifier};
    for (Qt::Key key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down}) {
        for (Qt::KeyboardModifiers modifiers : arrowModifiers) {
            QTest::keyClick(diagram, key, modifiers);
        }
    }
    for (Qt::Key key : {Qt::Key_W, Qt::Key_B, Qt::Key_Y, Qt::Key_Z}) {
        QTest::keyClick(diagram, key, Qt::ControlModifier);
    }
    for (Qt::Key key : {Qt::Key_F2, Qt::Key_F3, Qt::Key_F6, Qt::Key_F7}) {
        QTest::keyClick(diagram, key);
    }
    EXPECT_TRUE(started.isEmpty()) << started.join(", ").toStdString();
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(Documents().size(), 1u);
    EXPECT_EQ(document.View(), gtAnalyse) << "F7 came through";
}

// The data editor with a value typed into the power row of the first sample.
TKLTChildForm& EditedInTheDataEditor(TKLTMainForm& main, QAction& editView) {
    TKLTChildForm& document = *main.Documents()[0];
    editView.trigger();
    QTest::keyClicks(document.DataEditor()->Grid(), "7");
    return document;
}

TEST_F(MainFormSafety, MarkerKeyDoesNothingWhenTheUserKeepsTheDataEditor) {
    TKLTMainForm& main = MakeForm();
    main.OpenTrainingFile(Outside("a.klt", "AA"));
    TKLTChildForm& document = EditedInTheDataEditor(main, *Action("EditDataButton"));
    bool dialogShown = false;
    QTimer::singleShot(200, &main, [&dialogShown] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            dialogShown = true;
            dialog->close();
        }
    });
    test::TScriptedPrompt prompt({TPromptAnswer::Cancel});
    Action("EditMarkerItem")->trigger();
    QTest::qWait(300);
    EXPECT_FALSE(dialogShown);
    EXPECT_EQ(document.View(), gtEdit);
}

TEST_F(MainFormSafety, SaveTakesTheDataEditorsPendingEdits) {
    TKLTMainForm& main = MakeForm();
    main.OpenTrainingFile(Outside("a.klt", "AA"));
    TKLTChildForm& document = EditedInTheDataEditor(main, *Action("EditDataButton"));
    main.UpdateCommandStates();
    ASSERT_TRUE(Action("FileSaveItem")->isEnabled());
    test::TScriptedPrompt prompt;
    Action("FileSaveItem")->trigger();
    TKLTFile stored(document.File().FileName());
    stored.ReadFile();
    EXPECT_EQ(stored.Sample(1).Power(), 7 * 8);
    EXPECT_FALSE(document.Document().Modified());
}

} // namespace
} // namespace klt

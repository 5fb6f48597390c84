#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <atomic>
#include <chrono>
#include <thread>

#include "tests/flow/FlowFakes.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TempDatabase.h"
#include "ui/KLTVtrkReadDataDlg.h"
#include "ui/KLTVtrkSaveDataDlg.h"
#include "ui/KLTVtrkStateDlg.h"
#include "ui/TrainingStatusInformationSelect.h"

namespace klt {
namespace {

using test::TFakeVeltrak;

// Runs `act` on the modal dialog named `name` once it is up (a safety net ends the wait).
void WhenModal(const char* name, std::function<void(QWidget*)> act) {
    auto* poll = new QTimer;
    auto deadline = std::make_shared<int>(3000);
    QObject::connect(poll, &QTimer::timeout, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if ((modal != nullptr && modal->objectName() == name) || --*deadline == 0) {
            poll->stop();
            poll->deleteLater();
            if (modal != nullptr && modal->objectName() == name) {
                act(modal);
            }
        }
    });
    poll->start(10);
}

// Lets the window run until `condition` holds, at most about five seconds.
bool WaitFor(const std::function<bool()>& condition) {
    for (int wait = 0; wait < 500 && !condition(); ++wait) {
        QTest::qWait(10);
    }
    return condition();
}

class VeltrakDialogsTest : public ::testing::Test {
protected:
    std::unique_ptr<TFakeVeltrak> Fake() {
        auto veltrak = std::make_unique<TFakeVeltrak>(&clock_);
        fake_ = veltrak.get();
        return veltrak;
    }

    test::TTempDatabase db_;
    test::TManualClock clock_;
    TFakeVeltrak* fake_ = nullptr;
};

TEST_F(VeltrakDialogsTest, ReadDialogDownloadsAndHandsOverToTheSaveDialog) {
    TKLTVtrkReadDataDlg dialog(test::Configuration(4, db_.Path()), false, {"JD"}, nullptr, Fake());
    QString saveCaption;
    QString fileCount;
    WhenModal("KLTVtrkSaveDataDlg", [&](QWidget* save) {
        saveCaption = save->windowTitle();
        fileCount = save->findChild<QLabel*>("FileCountLabel")->text();
        EXPECT_FALSE(save->findChild<QProgressBar*>("MemoryGauge")->isVisibleTo(save));
        save->findChild<QPushButton*>("KeepButton")->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(saveCaption, "Read data from Veltrak JD at Com1");
    EXPECT_EQ(fileCount, "1");
    EXPECT_EQ(fake_->indices.size(), 103u);
    EXPECT_EQ(dialog.Model().Downloaded().files.size(), 1u);
    EXPECT_EQ(fake_->recordingsStarted, 0);
}

TEST_F(VeltrakDialogsTest, TheWindowStaysAliveWhileReadingAndAbortStopsIt) {
    TKLTVtrkReadDataDlg dialog(test::Configuration(4, db_.Path()), false, {}, nullptr, Fake());
    // The download waits at the fifth record until the window has shown its progress and the user
    // has pressed Abort: both happen on the window's thread while the download runs on its own.
    std::atomic<bool> atFifth = false, pressed = false;
    fake_->duringRecord = [&] {
        if (fake_->indices.size() == 5) {
            atFifth = true;
            while (!pressed) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
    };
    int progressShown = -1;
    auto* press = new QTimer(&dialog);
    QObject::connect(press, &QTimer::timeout, [&] {
        if (atFifth && !pressed) {
            progressShown = dialog.findChild<QProgressBar*>("ProgressBar")->value();
            QTest::keyClick(dialog.findChild<QPushButton*>("AbortButton"), Qt::Key_Space);
            pressed = true;
        }
    });
    press->start(5);
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_GE(progressShown, 0);
    EXPECT_EQ(fake_->indices.size(), 5u);
    EXPECT_EQ(dialog.Model().Outcome(), TDownloadOutcome::Cancelled);
    EXPECT_TRUE(dialog.Model().Downloaded().files.empty());
}

TEST_F(VeltrakDialogsTest, SaveDialogRefusesToClearAfterAFailedWrite) {
    test::TScriptedPrompt prompt;
    THeadUnitWork work(nullptr);
    TKLTVtrkReadDataModel read(test::Configuration(4, db_.Path()), false, "%s", "%s", work.WorkPrompt(), Fake());
    ASSERT_TRUE(read.Download());
    test::WriteFileBytes(db_.Path() + "/_JD.KLT", "in the way");
    TKLTVtrkSaveDataDlg dialog(read, work, {"JD"}, nullptr, "Save");
    dialog.show();
    QPushButton* clear = dialog.findChild<QPushButton*>("DeleteButton");
    EXPECT_TRUE(clear->isDefault());
    clear->click();
    ASSERT_TRUE(WaitFor([&] { return !work.Busy() && clear->isEnabled(); }));
    EXPECT_TRUE(dialog.isVisible()); // stays open, the head unit untouched
    EXPECT_EQ(fake_->recordingsStarted, 0);
    ASSERT_FALSE(prompt.shown.empty());
    EXPECT_NE(prompt.shown.back().text.find("The data stay in the Veltrak"), std::string::npos);
}

TEST_F(VeltrakDialogsTest, SaveDialogShowsUsbMemoryBatteryAndInitials) {
    auto veltrak = Fake();
    fake_->status = [](TVeltrakStatus& s) {
        s.BatInfo.battery = 0xFFFB;
        s.SetInitialen("ZZ");
        s.SetAbspeicherZeit(200);
    };
    THeadUnitWork work(nullptr);
    TKLTVtrkReadDataModel read(test::Configuration(6, db_.Path()), false, "%s", "%s", work.WorkPrompt(),
                               std::move(veltrak));
    fake_->ReadStatus();
    TKLTVtrkSaveDataDlg dialog(read, work, {"JD"}, nullptr, "Save");
    EXPECT_TRUE(dialog.findChild<QProgressBar*>("MemoryGauge")->isVisibleTo(&dialog));
    EXPECT_EQ(dialog.findChild<QProgressBar*>("MemoryGauge")->maximum(), 0x68000);
    EXPECT_EQ(dialog.findChild<QLabel*>("BatteryLabel")->text(), "Critical");
    EXPECT_TRUE(dialog.findChild<QTimer*>("FlashTimer")->isActive()); // the battery flashes
    QComboBox* interval = dialog.findChild<QComboBox*>("IntervalBox");
    EXPECT_EQ(interval->count(), 4);
    EXPECT_EQ(interval->currentText(), "2 s");
    QComboBox* initials = dialog.findChild<QComboBox*>("InitialsBox");
    EXPECT_NE(initials->lineEdit()->styleSheet().indexOf("red"), -1);
    initials->setEditText("JD");
    EXPECT_EQ(initials->lineEdit()->styleSheet().indexOf("red"), -1);

    dialog.findChild<QPushButton*>("KeepButton")->click();
    ASSERT_TRUE(WaitFor([&] { return dialog.result() == QDialog::Accepted; }));
    EXPECT_EQ(fake_->requests, 0);
    EXPECT_EQ(fake_->recordingsStarted, 0);
}

TEST_F(VeltrakDialogsTest, StateDialogShowsTheStatusAndHidesAMissingTemperature) {
    auto veltrak = Fake();
    fake_->status = [](TVeltrakStatus& s) {
        s.SetInitialen("JD");
        s.Temperatur = kNoTemperature;
    };
    TKLTVtrkStateDlg dialog(test::Configuration(4), std::move(veltrak));
    dialog.show();
    ASSERT_TRUE(WaitFor([&] { return dialog.windowTitle() == "State of Veltrak JD at Com1"; }));
    EXPECT_FALSE(dialog.findChild<QLabel*>("TemperatureLabel")->isVisibleTo(&dialog));
    EXPECT_TRUE(dialog.findChild<QLabel*>("PowerLabel")->isVisibleTo(&dialog));
    dialog.reject();
    ASSERT_TRUE(WaitFor([&] { return !dialog.isVisible(); })); // a read running meanwhile ends first
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(fake_->statusReads, 1);
}

TEST_F(VeltrakDialogsTest, ClosingTheStateDialogDuringAReadClosesItWhenTheReadIsDone) {
    auto veltrak = Fake();
    TKLTVtrkStateDlg dialog(test::Configuration(4), std::move(veltrak));
    std::atomic<bool> reading = false, closed = false;
    fake_->duringLiveRead = [&] {
        reading = true;
        while (!closed) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
    dialog.show();
    ASSERT_TRUE(WaitFor([&] { return bool(reading); })); // the second read, after the whole status
    dialog.reject();
    closed = true;
    ASSERT_TRUE(WaitFor([&] { return !dialog.isVisible(); }));
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(VeltrakDialogsTest, SelectionHeaderUnticksEveryTraining) {
    std::vector<TSectionChoice> choices = {{"first", true}, {"second", true}};
    TTrainingStatusInformationSelect dialog(choices);
    EXPECT_EQ(dialog.windowTitle(), "Read memory....");
    QTreeWidget* list = dialog.findChild<QTreeWidget*>("SectionList");
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->checkState(0), Qt::Checked);
    emit list->header()->sectionClicked(0);
    EXPECT_EQ(list->topLevelItem(1)->checkState(0), Qt::Unchecked);
    EXPECT_FALSE(choices[0].chosen);
    list->topLevelItem(1)->setCheckState(0, Qt::Checked);
    EXPECT_TRUE(choices[1].chosen);
}

} // namespace
} // namespace klt

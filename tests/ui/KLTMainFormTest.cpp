#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "app/KLTIni.h"
#include "app/KLTMainStartup.h"
#include "app/OptionDataUnit.h"
#include "core/ForeignImport.h"
#include "core/KLTDatabase.h"
#include "core/KLTFile.h"
#include "core/KLTFileRegistry.h"
#include "core/TrainingEnvironment.h"
#include "tests/support/MemoryTraining.h"
#include "tests/support/RawTraining.h"
#include "tests/support/ScriptedPrompt.h"
#include "ui/KLTChildForm.h"
#include "tests/ui/MainFormFixture.h"
#include "ui/KLTMainForm.h"

namespace klt {
namespace {

namespace fs = std::filesystem;

// Serial ports that all answer with one version word.
class TAnsweringPorts : public IProbePorts {
public:
    explicit TAnsweringPorts(uint16_t version) : version_(version) {}
    std::unique_ptr<IProbePort> Open(int index) override;

private:
    uint16_t version_;
};

class TAnsweringPort : public IProbePort {
public:
    explicit TAnsweringPort(uint16_t version)
        : replies_{'P', static_cast<uint8_t>(version >> 8), static_cast<uint8_t>(version)} {}
    bool Configure(int) override { return true; }
    void SetBaud(int) override {}
    void SendBreak(int) override {}
    bool WriteByte(uint8_t) override { return true; }
    std::optional<uint8_t> ReadByte() override {
        return next_ < std::size(replies_) ? std::optional<uint8_t>(replies_[next_++]) : std::nullopt;
    }

private:
    uint8_t replies_[3];
    size_t next_ = 0;
};

std::unique_ptr<IProbePort> TAnsweringPorts::Open(int) {
    return std::make_unique<TAnsweringPort>(version_);
}

TEST_F(KLTMainFormTest, CommandLineTrainingsOpenTheLastOneFirst) {
    TKLTMainForm& main = MakeForm({Outside("a.klt", "AA"), "NoFirmwareFlash", Outside("b.klt", "BB")});
    EXPECT_EQ(main.windowTitle(), "KLT Training System");
    EXPECT_TRUE(Documents().empty()); // they open once the program runs
    main.OpenPendingFiles();
    const QList<QMdiSubWindow*> windows = main.MdiArea().subWindowList(QMdiArea::CreationOrder);
    ASSERT_EQ(windows.size(), 2);
    EXPECT_EQ(qobject_cast<TKLTChildForm*>(windows[0]->widget())->File().Marker(0).name, "BB");
    EXPECT_EQ(qobject_cast<TKLTChildForm*>(windows[1]->widget())->File().Marker(0).name, "AA");
    EXPECT_EQ(main.OptionTree().Sets().System.ProtectionLevel & TStartupFlag::NoFirmwareFlash,
              TStartupFlag::NoFirmwareFlash);
}

TEST_F(KLTMainFormTest, TrainingFromOutsideOpensFromItsPlaceInTheDatabase) {
    TKLTMainForm& main = MakeForm();
    const std::string source = Outside("ride.klt", "JD", 53000);
    main.OpenTrainingFile(source);
    ASSERT_EQ(Documents().size(), 1u);
    const std::string placed = Documents()[0]->File().FileName();
    EXPECT_EQ(placed, CanonicalDirectory(databaseDir, "JD", 53000) + CanonicalStem("JD", 53000) + "A.klt");
    EXPECT_TRUE(fs::exists(placed));
    EXPECT_TRUE(fs::exists(source));
    EXPECT_EQ(main.Ini().FileHistory.Items().front(), placed);
}

TEST_F(KLTMainFormTest, ImportDialogOptionsGoWithEveryForeignFileIntoTheDatabase) {
    MakeForm();
    InstallForeignImports();
    const std::string hrm = dir.File("ride.hrm");
    test::WriteFileBytes(hrm, "[Params]\nVersion=106\nSMode=00100000\nDate=20140117\nInterval=5\n"
                              "[HRData]\n120\t180\n121\t190\n");
    const std::string raw = dir.File("1-2-2020.raw");
    test::WriteFileBytes(raw, "h\nh\nh\nh\n120\n255\n90\n250\n");
    test::TScriptedPrompt prompt;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QLineEdit*>("ImportInitials")->setText("PM");
        dialog->findChild<QCheckBox*>("ImportAltitudeAsPower")->setChecked(true);
        dialog->setDirectory(QString::fromStdString(dir.Path()));
        dialog->selectFile("\"ride.hrm\" \"1-2-2020.raw\"");
        static_cast<QDialog*>(dialog)->accept();
    });
    Action("FileImportItem")->trigger();
    TKLTFile::ForeignImport() = nullptr;

    EXPECT_TRUE(prompt.shown.empty()) << prompt.shown[0].text;
    ASSERT_EQ(Documents().size(), 2u);
    for (TKLTChildForm* document : Documents()) {
        const TKLTFile& file = document->File();
        EXPECT_EQ(file.FileName(), CanonicalDirectory(databaseDir, "PM", file.Header().date) +
                                       CanonicalStem("PM", file.Header().date) + "A.klt");
        EXPECT_TRUE(fs::exists(file.FileName()));
    }
    EXPECT_EQ(Documents()[0]->File().Comment() + Documents()[1]->File().Comment(), "PW=Alt!!");
    EXPECT_TRUE(fs::exists(hrm));
    EXPECT_TRUE(fs::exists(raw));
}

TEST_F(KLTMainFormTest, TwentySixthWindowClosesTheWindowOfTheLeastRecentlyUsedTraining) {
    TKLTMainForm& main = MakeForm();
    std::vector<std::string> placed;
    for (int i = 0; i < 25; ++i) {
        main.OpenTrainingFile(
            Outside("r" + std::to_string(i) + ".klt", "JD", static_cast<uint16_t>(53000 + i)));
        placed.push_back(Documents().back()->File().FileName());
    }
    main.OpenTrainingFile(placed[0]); // the first training becomes the most recently used
    const std::vector<TKLTChildForm*> documents = Documents();
    ASSERT_EQ(documents.size(), 25u);
    int firstTraining = 0;
    for (TKLTChildForm* document : documents) {
        EXPECT_NE(document->File().FileName(), placed[1]);
        firstTraining += document->File().FileName() == placed[0];
    }
    EXPECT_EQ(firstTraining, 2);
}

TEST_F(KLTMainFormTest, DroppedFolderOpensNothingAndMemoryImagesAreNotOpenedAsDocuments) {
    MakeForm();
    test::TScriptedPrompt prompt;
    Drop({dir.Path()});
    EXPECT_TRUE(Documents().empty());
    EXPECT_TRUE(prompt.shown.empty());

    test::WriteFileBytes(dir.File("unit.kli"), "image");
    Drop({dir.File("unit.kli"), Outside("ride.klt")});
    EXPECT_EQ(Documents().size(), 1u);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_NE(prompt.shown[0].text.find("memory image"), std::string::npos);
}

TEST_F(KLTMainFormTest, CommandsFollowTheActiveDocument) {
    TKLTMainForm& main = MakeForm();
    for (const char* name : {"ViewSingleRowItem", "StatisticButton", "EditDataButton", "FileSaveItem",
                             "FilePrintItem", "CopyBtn", "WindowTileVerticalItem", "FileExportItem"}) {
        EXPECT_FALSE(Action(name)->isEnabled()) << name;
    }
    EXPECT_TRUE(Action("FileOpenItem")->isEnabled());
    EXPECT_TRUE(Action("VeltrakReadDataItem")->isEnabled()); // a download needs no document
    // Shift+F11 downloads too, with the whole memory or the choice of trainings.
    EXPECT_TRUE(Action("VeltrakReadDataItem")->shortcuts().contains(QKeySequence(Qt::SHIFT | Qt::Key_F11)));
    EXPECT_TRUE(Action("VeltrakStatus")->isEnabled());

    main.OpenTrainingFile(Outside("ride.klt"));
    main.UpdateCommandStates();
    for (const char* name : {"ViewSingleRowItem", "StatisticButton", "EditDataButton", "FilePrintItem",
                             "CopyBtn", "WindowTileVerticalItem", "FileExportItem"}) {
        EXPECT_TRUE(Action(name)->isEnabled()) << name;
    }
    EXPECT_FALSE(Action("FileSaveItem")->isEnabled());
    EXPECT_TRUE(Action("ViewSingleRowItem")->isChecked());

    Action("StatisticButton")->trigger();
    EXPECT_EQ(main.ActiveDocument()->View(), gtStatistical);
    EXPECT_TRUE(Action("StatisticButton")->isChecked());
    EXPECT_FALSE(Action("ViewSingleRowItem")->isChecked());

    main.ActiveDocument()->File().SetComment("changed");
    main.UpdateCommandStates();
    EXPECT_TRUE(Action("FileSaveItem")->isEnabled());
    Action("FileSaveItem")->trigger();
    EXPECT_FALSE(Action("FileSaveItem")->isEnabled());
}

TEST_F(KLTMainFormTest, TilingPutsOtherWindowsBeforeTheDocuments) {
    TKLTMainForm& main = MakeForm();
    main.OpenTrainingFile(Outside("a.klt", "AA"));
    main.OpenTrainingFile(Outside("b.klt", "BB"));
    auto* chart = new QWidget;
    chart->setWindowTitle("Training history");
    QMdiSubWindow* chartWindow = main.MdiArea().addSubWindow(chart);
    chartWindow->show();
    QMdiSubWindow* active = main.MdiArea().subWindowList(QMdiArea::CreationOrder)[1];
    main.MdiArea().setActiveSubWindow(active);
    main.UpdateCommandStates();

    Action("WindowTileVerticalItem")->trigger();
    const int width = main.MdiArea().viewport()->width();
    EXPECT_EQ(chartWindow->x(), 0);
    EXPECT_NEAR(chartWindow->width(), width / 3, 1);
    for (QMdiSubWindow* window : main.MdiArea().subWindowList()) {
        EXPECT_EQ(window->y(), 0);
        EXPECT_GE(window->x(), chartWindow->x());
    }
    EXPECT_EQ(main.MdiArea().currentSubWindow(), active);

    Action("WindowCascadeItem")->trigger();
    EXPECT_EQ(chartWindow->pos(), QPoint(0, 0));
}

TEST_F(KLTMainFormTest, RecentFilesNotShownInAWindowAreOfferedInTheFileMenu) {
    TKLTMainForm& main = MakeForm();
    main.OpenTrainingFile(Outside("a.klt", "AA"));
    main.OpenTrainingFile(Outside("b.klt", "BB"));
    const std::string first = Documents()[0]->File().FileName();
    QAction* entry = Action("FileHistItem1");
    main.FileHistoryChanged();
    EXPECT_FALSE(entry->isVisible()); // both are open

    Documents()[0]->parentWidget()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    main.FileHistoryChanged();
    ASSERT_TRUE(entry->isVisible());
    EXPECT_TRUE(entry->text().startsWith("&1 "));
    EXPECT_EQ(entry->statusTip().toStdString(), "Open training file '" + first + "'");
    EXPECT_FALSE(Action("FileHistItem2")->isVisible());

    entry->trigger();
    ASSERT_EQ(Documents().size(), 2u);
    EXPECT_EQ(Documents()[1]->File().FileName(), first);
}

TEST_F(KLTMainFormTest, OptionsGoToEveryDocumentAndBecomeTheDefaults) {
    TKLTMainForm& main = MakeForm();
    main.OpenTrainingFile(Outside("a.klt", "AA"));
    main.OpenTrainingFile(Outside("b.klt", "BB"));
    TOptionData options;
    options.KLTGraphicType = gtAnalyse;
    main.ApplyOptions(options);
    for (TKLTChildForm* document : Documents()) {
        EXPECT_EQ(document->View(), gtAnalyse);
    }
    EXPECT_EQ(main.Configuration().OptionData.KLTGraphicType, gtAnalyse);

    main.Configuration().SystemData.DefaultAllFiles = false;
    main.Configuration().SystemData.ShowSpeedbar = false;
    options.KLTGraphicType = gtEdit;
    main.ApplyOptions(options);
    EXPECT_TRUE(main.findChild<QToolBar*>("SpeedPanel")->isHidden());
    EXPECT_EQ(main.ActiveDocument()->View(), gtEdit);
    EXPECT_EQ(Documents()[0]->View(), gtAnalyse);
}

TEST_F(KLTMainFormTest, ActiveDocumentPrintsToPdfAndCopiesAsAPicture) {
    TKLTMainForm& main = MakeForm();
    EXPECT_FALSE(main.PrintActiveDocumentTo(QString::fromStdString(dir.File("none.pdf"))));
    main.OpenTrainingFile(Outside("ride.klt"));
    const std::string pdf = dir.File("ride.pdf");
    test::WriteFileBytes(pdf, "old");
    ASSERT_TRUE(main.PrintActiveDocumentTo(QString::fromStdString(pdf)));
    EXPECT_EQ(test::ReadFileBytes(pdf).substr(0, 5), "%PDF-");
    const std::string fresh = dir.File("fresh.pdf");
    const mode_t mask = ::umask(022);
    ASSERT_TRUE(main.PrintActiveDocumentTo(QString::fromStdString(fresh)));
    ::umask(mask);
    struct stat status {};
    ASSERT_EQ(::stat(fresh.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0644u); // not the temporary file's owner-only mode
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()),
              4); // database, training, two PDFs: no leftovers

    QApplication::clipboard()->clear();
    Action("CopyBtn")->trigger();
    EXPECT_EQ(QApplication::clipboard()->image().size(), main.ActiveDocument()->size());
}

TEST_F(KLTMainFormTest, AnotherUserLoadsThatProfileIntoTheSameOptionTree) {
    TKLTMainForm& main = MakeForm();
    TOptionDataNew* tree = &main.OptionTree();
    main.Configuration().SystemData.SetUserName("Anna");
    EXPECT_EQ(&main.OptionTree(), tree); // a dialog holding it keeps a valid one
    EXPECT_EQ(tree->UserName(), "Anna");
    EXPECT_EQ(tree->Directory(), databaseDir);
}

class KLTMainFormClosing : public KLTMainFormTest {
protected:
    // Two modified trainings in windows; the second one was opened last.
    TKLTMainForm& OpenModified(uint16_t headUnitVersion = 0xFFFF) {
        TKLTMainForm& main = MakeForm({}, std::make_unique<TAnsweringPorts>(headUnitVersion));
        main.OpenTrainingFile(Outside("a.klt", "AA"));
        main.OpenTrainingFile(Outside("b.klt", "BB"));
        first = &Documents()[0]->File();
        second = &Documents()[1]->File();
        firstPath = first->FileName();
        secondPath = second->FileName();
        first->SetComment("first change");
        second->SetComment("second change");
        return main;
    }
    static std::string StoredComment(const std::string& path) {
        TKLTFile file(path);
        file.ReadFile();
        return file.Comment();
    }

    TKLTFile* first = nullptr;
    TKLTFile* second = nullptr;
    std::string firstPath, secondPath;
};

TEST_F(KLTMainFormClosing, YesSavesEveryTrainingAndTheProgramEnds) {
    TKLTMainForm& main = OpenModified();
    test::TScriptedPrompt prompt({TPromptAnswer::Yes, TPromptAnswer::Yes});
    EXPECT_TRUE(main.close());
    EXPECT_EQ(prompt.shown.size(), 2u);
    EXPECT_NE(prompt.shown[0].text.find("second change"), std::string::npos);
    EXPECT_EQ(StoredComment(firstPath), "first change");
    EXPECT_EQ(StoredComment(secondPath), "second change");
    EXPECT_TRUE(main.MdiArea().subWindowList().isEmpty());
}

TEST_F(KLTMainFormClosing, NoDiscardsTheChanges) {
    TKLTMainForm& main = OpenModified();
    // Each No is followed by the question whether to really revert.
    test::TScriptedPrompt prompt(
        {TPromptAnswer::No, TPromptAnswer::Yes, TPromptAnswer::No, TPromptAnswer::Yes});
    EXPECT_TRUE(main.close());
    EXPECT_EQ(prompt.AnswersLeft(), 0u);
    EXPECT_EQ(StoredComment(firstPath), "");
    EXPECT_EQ(StoredComment(secondPath), "");
}

TEST_F(KLTMainFormClosing, CancelKeepsTheProgramAndItsWindowsOpen) {
    TKLTMainForm& main = OpenModified();
    test::TScriptedPrompt prompt({TPromptAnswer::Yes, TPromptAnswer::Cancel});
    EXPECT_FALSE(main.close());
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(Documents().size(), 2u);
    EXPECT_TRUE(first->Modified());
    EXPECT_EQ(StoredComment(secondPath), "second change");
}

TEST_F(KLTMainFormClosing, OldHeadUnitOnASerialPortIsToldToBeUnplugged) {
    TKLTMainForm& main = OpenModified(11043);
    test::TScriptedPrompt prompt({TPromptAnswer::Yes, TPromptAnswer::Yes});
    EXPECT_TRUE(main.close());
    ASSERT_EQ(prompt.shown.size(), 3u);
    EXPECT_EQ(prompt.shown[2].caption, "Attention");
    EXPECT_EQ(prompt.shown[2].text, "Please disconnect the Veltrak from your Computer\r\nIf the Veltrak stay "
                                    "connected the Veltrak will show a wrong Batteriecapacity");
}

TEST_F(KLTMainFormClosing, NewerHeadUnitNeedsNoWarning) {
    TKLTMainForm& main = OpenModified(11044);
    test::TScriptedPrompt prompt({TPromptAnswer::Yes, TPromptAnswer::Yes});
    EXPECT_TRUE(main.close());
    EXPECT_EQ(prompt.shown.size(), 2u);
}

TEST_F(KLTMainFormTest, ExportNameFollowsTheChosenForm) {
    TKLTMainForm& main = MakeForm();
    main.OpenTrainingFile(Outside("a.klt"));
    const std::string stem = fs::path(Documents()[0]->File().FileName()).stem().string();
    std::vector<std::string> proposed;
    QTimer::singleShot(100, &main, [&proposed] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* forms = dialog->findChild<QComboBox*>("fileTypeCombo");
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(forms, nullptr);
        ASSERT_NE(name, nullptr);
        proposed.push_back(name->text().toStdString());
        for (int form : {2, 3, 5, 0}) { // training text, marker text, marker text (new), data file
            forms->setCurrentIndex(form);
            emit forms->activated(form); // as a choice of the user's
            emit forms->textActivated(forms->itemText(form));
            QCoreApplication::processEvents();
            proposed.push_back(name->text().toStdString());
        }
        dialog->reject();
    });
    Action("FileExportItem")->trigger();
    const std::vector<std::string> expected = {stem + ".klt", stem + ".txt", stem + ".$00", stem + ".$00",
                                               stem + ".klt"};
    EXPECT_EQ(proposed, expected);
}

} // namespace
} // namespace klt

#include "app/KLTMainDocuments.h"
#include "core/Exceptions.h"
#include "core/FileHistory.h"
#include "core/ForeignImport.h"
#include "core/KLTDatabase.h"
#include "core/KLTFileRegistry.h"
#include "core/TrainingEnvironment.h"

#include "tests/support/MemoryTraining.h"
#include "tests/support/RawTraining.h"
#include "tests/support/ScriptedPrompt.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace klt {
namespace {

namespace fs = std::filesystem;

// Windows that register as views of their trainings, as document windows do.
class TFakeWindows : public IDocumentWindows {
public:
    struct TWindow : IKLTFileView {
        TKLTFile* file = nullptr;
        void TrainingChanged(TKLTFile&, int) override {}
        void CloseView(TKLTFile&) override {}
    };

    ~TFakeWindows() override {
        for (auto& window : windows) {
            KLTFileRegistry().ReleaseTraining(*window->file, window.get());
        }
    }
    void CreateDocumentWindow(const std::string& path) override {
        createdPaths.push_back(path);
        existedWhenCreated.push_back(fs::exists(path));
        auto window = std::make_unique<TWindow>();
        window->file = &KLTFileRegistry().OpenTraining(path, window.get());
        windows.push_back(std::move(window));
    }
    size_t DocumentWindowCount() const override { return windows.size(); }
    bool CloseDocumentWindow(IKLTFileView& view) override {
        if (keepWindows) {
            return false;
        }
        for (auto it = windows.begin(); it != windows.end(); ++it) {
            if (it->get() == &view) {
                KLTFileRegistry().ReleaseTraining(*(*it)->file, it->get());
                windows.erase(it);
                return true;
            }
        }
        return false;
    }
    void ProcessEvents() override {}
    void FileHistoryChanged() override { ++historyChanges; }

    std::vector<std::unique_ptr<TWindow>> windows;
    std::vector<std::string> createdPaths;
    std::vector<bool> existedWhenCreated;
    int historyChanges = 0;
    bool keepWindows = false;
};

class KLTMainDocuments : public testing::Test {
protected:
    KLTMainDocuments() {
        fs::create_directories(databaseDir);
        TrainingEnvironment() = TTrainingEnvironment{databaseDir, &history, nullptr};
    }
    ~KLTMainDocuments() override {
        windows.reset();
        TrainingEnvironment() = TTrainingEnvironment();
        KLTFileRegistry().Trim(0);
    }
    // A training outside the database.
    std::string Outside(const std::string& name, const std::string& initials = "JD", uint16_t date = 53000) {
        const std::string path = dir.File(name);
        test::WriteTraining(path, initials, date);
        return path;
    }

    test::TTempDir dir;
    std::string databaseDir = dir.File("_DATA.KLT");
    TFileHistory history;
    std::unique_ptr<TFakeWindows> windows = std::make_unique<TFakeWindows>();
    std::vector<std::string> images;
    TKLTDocumentOpener opener{*windows, &history, [this](const std::string& path) { images.push_back(path); }};
};

TEST_F(KLTMainDocuments, TrainingFromOutsideIsStoredAtItsPlaceBeforeItsWindowOpens) {
    const std::string source = Outside("ride.klt", "JD", 53000);
    opener.OpenTrainingFile(source);
    ASSERT_EQ(windows->createdPaths.size(), 1u);
    const std::string& placed = windows->createdPaths[0];
    EXPECT_EQ(placed, CanonicalDirectory(databaseDir, "JD", 53000) + CanonicalStem("JD", 53000) + "A.klt");
    EXPECT_TRUE(windows->existedWhenCreated[0]);
    EXPECT_TRUE(fs::exists(source)); // the original stays where it was
    EXPECT_EQ(history.Items(), (std::vector<std::string>{placed}));

    // The same training from outside once more is a second training of that day.
    opener.OpenTrainingFile(source);
    EXPECT_EQ(windows->createdPaths[1],
              CanonicalDirectory(databaseDir, "JD", 53000) + CanonicalStem("JD", 53000) + "B.klt");
}

TEST_F(KLTMainDocuments, ForeignFilesAreImportedIntoTheDatabaseAndNeverOverwritten) {
    InstallForeignImports();
    const std::string raw = dir.File("1-2-2020.raw");
    const std::string content = "h\nh\nh\nh\n120\n255\n90\n130\n300\n95\n250\n";
    test::WriteFileBytes(raw, content);
    opener.OpenTrainingFile(raw);
    ASSERT_EQ(windows->createdPaths.size(), 1u);
    EXPECT_EQ(windows->createdPaths[0].rfind(databaseDir, 0), 0u) << windows->createdPaths[0];
    EXPECT_TRUE(windows->existedWhenCreated[0]);

    // Without a database the import would stay under the foreign file's name, where saving it
    // would write over the original.
    TrainingEnvironment().databaseDir.clear();
    const std::string other = dir.File("3-4-2021.raw");
    test::WriteFileBytes(other, content);
    EXPECT_THROW(opener.OpenTrainingFile(other), EKLTFileDatabaseError);
    EXPECT_EQ(test::ReadFileBytes(other), content);
    EXPECT_EQ(windows->createdPaths.size(), 1u);
    TKLTFile::ForeignImport() = nullptr;
}

TEST_F(KLTMainDocuments, TrainingInsideTheDatabaseOpensWhereItIs) {
    opener.OpenTrainingFile(Outside("ride.klt"));
    const std::string placed = windows->createdPaths[0];
    opener.OpenTrainingFile(placed);
    EXPECT_EQ(windows->createdPaths[1], placed);
    EXPECT_EQ(KLTFileRegistry().Find(placed)->Views().size(), 2u);
}

TEST_F(KLTMainDocuments, DamagedTrainingOpensWithAWarningThatSaysWhatIsLeft) {
    test::TRawTraining raw = test::SimpleTraining('7', 40);
    raw.sampleCountField = 0xFFFF;
    const std::string path = dir.File("damaged.klt");
    raw.WriteTo(path);
    test::TScriptedPrompt prompt;
    opener.OpenTrainingFile(path);
    ASSERT_EQ(windows->createdPaths.size(), 1u);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].caption, "Warning");
    EXPECT_EQ(prompt.shown[0].text, "'" + path + "': The training file is damaged: it holds 40 of the 65534 "
                                    "samples it announces; the missing ones read as zero.");
    EXPECT_EQ(test::ReadFileBytes(path), raw.Bytes()); // the original stays as it was
}

TEST_F(KLTMainDocuments, FolderOpensNothingAndMemoryImagesGoToTheirHook) {
    test::TScriptedPrompt prompt;
    opener.OpenTrainingFile(dir.Path());
    fs::create_directories(dir.File("looks.klt"));
    opener.OpenTrainingFile(dir.File("looks.klt"));
    EXPECT_TRUE(windows->createdPaths.empty());
    EXPECT_TRUE(prompt.shown.empty());

    opener.OpenTrainingFile(dir.File("memory.KLI")); // not there: the hook decides what that means
    opener.OpenTrainingFile(dir.File("backup.img"));
    EXPECT_EQ(images, (std::vector<std::string>{dir.File("memory.KLI"), dir.File("backup.img")}));
    EXPECT_TRUE(windows->createdPaths.empty());
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(KLTMainDocuments, FailuresCarryThePathAndLeaveTheHistory) {
    const std::string broken = dir.File("broken.klt");
    test::WriteFileBytes(broken, "not a training");
    history.AddFile(broken);
    try {
        opener.OpenTrainingFile(broken);
        FAIL() << "no error";
    } catch (const std::exception& e) {
        EXPECT_EQ(std::string(e.what()).rfind("'" + broken + "': ", 0), 0u) << e.what();
    }
    EXPECT_TRUE(history.Items().empty());
    EXPECT_TRUE(windows->windows.empty());
    EXPECT_EQ(KLTFileRegistry().Find(broken), nullptr);
}

TEST_F(KLTMainDocuments, SeveralFilesReportEachFailureAndOpenTheRest) {
    test::TScriptedPrompt prompt;
    opener.OpenTrainingFiles(
        {dir.File("missing1.klt"), Outside("a.klt", "AA"), dir.File("missing2.klt"), Outside("b.klt", "BB")});
    EXPECT_EQ(windows->windows.size(), 2u);
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_NE(prompt.shown[0].text.find("missing1.klt"), std::string::npos);
    EXPECT_NE(prompt.shown[1].text.find("missing2.klt"), std::string::npos);
}

TEST_F(KLTMainDocuments, BeyondTwentyFiveWindowsTheLeastRecentlyUsedTrainingLosesItsFirstWindow) {
    std::vector<std::string> placed;
    for (int i = 0; i < 25; ++i) {
        opener.OpenTrainingFile(
            Outside("r" + std::to_string(i) + ".klt", "JD", static_cast<uint16_t>(53000 + i)));
        placed.push_back(windows->createdPaths.back());
    }
    ASSERT_EQ(windows->windows.size(), 25u);
    // Opening the first training again makes it the most recently used: the second one goes.
    opener.OpenTrainingFile(placed[0]);
    EXPECT_EQ(windows->windows.size(), 25u);
    EXPECT_EQ(KLTFileRegistry().Find(placed[0])->Views().size(), 2u);
    const TKLTFile* second = KLTFileRegistry().Find(placed[1]);
    EXPECT_TRUE(second == nullptr || second->Views().empty());
    EXPECT_FALSE(KLTFileRegistry().Find(placed[2])->Views().empty());
}

TEST_F(KLTMainDocuments, WindowTheUserKeepsEndsTheLimitInsteadOfLooping) {
    for (int i = 0; i < 26; ++i) {
        windows->keepWindows = i == 25;
        opener.OpenTrainingFile(
            Outside("r" + std::to_string(i) + ".klt", "JD", static_cast<uint16_t>(53000 + i)));
    }
    EXPECT_EQ(windows->windows.size(), 26u);
}

} // namespace
} // namespace klt

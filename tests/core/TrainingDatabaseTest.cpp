#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/BinaryFile.h"
#include "core/Exceptions.h"
#include "core/KLTDatabase.h"
#include "core/TrainingIndexFormat.h"
#include "core/KLTFileRegistry.h"
#include "core/TrainingEnvironment.h"
#include "tests/support/MemoryTraining.h"
#include "tests/support/RawTraining.h"
#include "tests/support/ScriptedPrompt.h"

namespace klt {
namespace {

namespace fs = std::filesystem;

uint16_t Day(int year, int month, int day) {
    return static_cast<uint16_t>(DaysSince1880({year, month, day}));
}

// A temporary database set up as the program's one, with its history lists.
class TrainingDatabase : public ::testing::Test {
protected:
    void SetUp() override {
        db_ = dir_.File("_DATA.KLT");
        fs::create_directories(db_);
        TrainingEnvironment() = {db_, &history_, &names_};
    }
    void TearDown() override {
        for (TKLTFile* file : opened_) {
            KLTFileRegistry().ReleaseTraining(*file, nullptr);
        }
        KLTFileRegistry().Trim(0);
        TrainingEnvironment() = {};
    }

    // Opens through the program's registry; released again after the test.
    TKLTFile& Open(const std::string& path) {
        TKLTFile& file = KLTFileRegistry().OpenTraining(path, nullptr);
        opened_.push_back(&file);
        return file;
    }

    // A training saved in the database under a name of no particular form.
    std::string PutTraining(const std::string& name, const std::string& initials, uint16_t date,
                            int count = 30) {
        TKLTFile file;
        test::FillTraining(file, count, {{3600000, static_cast<uint16_t>(count)}}, initials, date);
        const std::string path = db_ + "/" + name;
        fs::create_directories(fs::path(path).parent_path());
        file.WriteKLT7(path, TDateTimeMark::None());
        return path;
    }

    // What a folder holds besides its index.
    std::vector<std::string> Names(const std::string& dir) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir)) {
            if (entry.path().filename() != kTrainingIndexName) {
                names.push_back(entry.path().filename().string());
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    test::TTempDir dir_;
    std::string db_;
    TFileHistory history_;
    TMarkerIdentList names_;
    std::vector<TKLTFile*> opened_;
};

TEST_F(TrainingDatabase, LoadingMovesATrainingToItsCanonicalPlace) {
    const uint16_t date = Day(2026, 12, 9);
    const std::string first = PutTraining("incoming/ride.klt", "JD", date);
    const std::string second = PutTraining("incoming/other.klt", "JD", date);
    history_.AddFile(first);

    TKLTFile& a = Open(first);
    a.EnsureLoaded();
    EXPECT_EQ(a.FileName(), db_ + "/_JD.KLT/2026_12.KLT/J091226A.klt");
    EXPECT_TRUE(fs::exists(a.FileName()));
    EXPECT_EQ(history_.Items().front(), a.FileName());
    EXPECT_FALSE(fs::exists(db_ + "/incoming/ride.klt"));

    TKLTFile& b = Open(second);
    b.EnsureLoaded();
    EXPECT_EQ(b.FileName(), db_ + "/_JD.KLT/2026_12.KLT/J091226B.klt");
    EXPECT_FALSE(fs::exists(db_ + "/incoming")); // emptied folders go

    // Folder names are found whatever their case; a name already in form stays.
    const std::string third = PutTraining("_jd.klt/2026_12.klt/J091226x.klt", "JD", date);
    fs::remove_all(db_ + "/_JD.KLT");
    TKLTFile& c = Open(third);
    c.EnsureLoaded();
    EXPECT_EQ(c.FileName(), third);
}

TEST_F(TrainingDatabase, RenamingNeverOverwritesAnotherTraining) {
    const uint16_t date = Day(2026, 12, 9);
    const std::string path = PutTraining("x.klt", "AB", date);
    const std::string occupied = PutTraining("_AB.KLT/2026_12.KLT/A091226A.klt", "AB", date, 5);
    EXPECT_FALSE(RenameNoReplace(path, occupied));
    TKLTFile& file = Open(path);
    file.EnsureLoaded();
    EXPECT_EQ(fs::path(file.FileName()).filename(), "A091226B.klt");
    TKLTFile check(occupied);
    check.ReadFile();
    EXPECT_EQ(check.SampleCount(), 5);
}

// Several processes placing trainings of one athlete and day at once, as two `klt import` runs
// or an import beside a download do: every training keeps a name of its own.
TEST_F(TrainingDatabase, TrainingsPlacedAtOnceNeverReplaceEachOther) {
    constexpr int kProcesses = 4;
    constexpr int kEach = 8;
    const uint16_t date = Day(2026, 12, 9);
    TrainingEnvironment() = {db_, nullptr, nullptr};
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(gate[1]);
            char go;
            (void)::read(gate[0], &go, 1); // all start together
            std::string placed;
            for (int i = 0; i < kEach; ++i) {
                const int count = 10 + p * kEach + i; // tells the trainings apart
                TKLTFile file(dir_.File("in" + std::to_string(count) + ".hrm"));
                test::FillTraining(file, count, {{3600000, static_cast<uint16_t>(count)}}, "JD", date);
                try {
                    if (!PlaceInDatabase(file, db_)) {
                        ::_exit(2);
                    }
                } catch (const std::exception& e) {
                    std::fprintf(stderr, "%s\n", e.what());
                    ::_exit(3);
                }
                placed += file.FileName() + "\n";
            }
            test::WriteFileBytes(dir_.File("placed" + std::to_string(p)), placed);
            ::_exit(0);
        }
        children.push_back(pid);
    }
    ::close(gate[0]);
    ::close(gate[1]);
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    std::set<std::string> paths;
    for (int p = 0; p < kProcesses; ++p) {
        std::istringstream lines(test::ReadFileBytes(dir_.File("placed" + std::to_string(p))));
        for (std::string line; std::getline(lines, line);) {
            paths.insert(line);
        }
    }
    EXPECT_EQ(paths.size(), size_t{kProcesses * kEach});
    std::set<int> counts;
    for (const std::string& path : paths) {
        TKLTFile check(path);
        check.ReadFile();
        counts.insert(check.SampleCount());
    }
    EXPECT_EQ(counts.size(), size_t{kProcesses * kEach}) << "a training was replaced by another";
    EXPECT_EQ(Names(db_ + "/_JD.KLT/2026_12.KLT").size(), size_t{kProcesses * kEach}); // no temporaries left
}

TEST_F(TrainingDatabase, ChangingDateOrInitialsMovesTheFile) {
    const std::string path = PutTraining("_JD.KLT/2026_12.KLT/J091226A.klt", "JD", Day(2026, 12, 9));
    TKLTFile& file = Open(path);
    file.EnsureLoaded();
    file.SetInitials("MK");
    EXPECT_EQ(file.FileName(), db_ + "/_MK.KLT/2026_12.KLT/M091226A.klt");
    file.SetDate(Day(2027, 1, 2));
    EXPECT_EQ(file.FileName(), db_ + "/_MK.KLT/2027_01.KLT/M020127A.klt");
    EXPECT_EQ(Names(db_), std::vector<std::string>{"_MK.KLT"});
    // Renames move the file as it is on disk; the change itself is still to be saved.
    EXPECT_TRUE(file.Modified());
    test::TScriptedPrompt prompt({TPromptAnswer::Yes});
    EXPECT_TRUE(file.CloseQuery());
    TKLTFile check(file.FileName());
    check.ReadFile();
    EXPECT_EQ(check.Marker(0).name, "MK");
}

TEST_F(TrainingDatabase, OldVersionsAreSavedAsKlt7WhenLoadedInTheDatabase) {
    test::TRawTraining raw = test::SimpleTraining('4', 10);
    fs::create_directories(db_ + "/in");
    raw.WriteTo(db_ + "/in/A020395x.klt");
    TKLTFile& file = Open(db_ + "/in/A020395x.klt");
    file.EnsureLoaded();
    EXPECT_FALSE(file.Modified());
    EXPECT_EQ(file.FileName(), db_ + "/_AB.KLT/1995_03.KLT/A020395A.klt");
    TKLTFile check(file.FileName());
    check.ReadFile();
    EXPECT_EQ(check.Header().Version(), '7');
}

TEST_F(TrainingDatabase, AddingCopiesTrainingsAndDatesOldVersionsByTheirOwnName) {
    const std::string old = dir_.File("A020395x.klt");
    test::SimpleTraining('4', 10).WriteTo(old);
    const std::string added = AddTrainingToDatabase(old, db_);
    EXPECT_EQ(added, db_ + "/_AB.KLT/1995_03.KLT/A020395A.klt");
    TKLTFile check(added);
    check.ReadFile();
    EXPECT_EQ(check.Header().Version(), '7');
    EXPECT_EQ(check.SampleCount(), 10);
    EXPECT_TRUE(fs::exists(old)); // the user's file stays

    const std::string current = dir_.File("ride.klt");
    test::SimpleTraining('7', 12).WriteTo(current);
    const std::string copy = AddTrainingToDatabase(current, db_);
    EXPECT_EQ(test::ReadFileBytes(copy), test::ReadFileBytes(current)); // copied as it is

    test::TRawTraining cut = test::SimpleTraining('7', 40);
    cut.sampleCountField = 0xFFFF;
    const std::string damaged = dir_.File("damaged.klt");
    cut.WriteTo(damaged);
    try {
        AddTrainingToDatabase(damaged, db_);
        FAIL() << "a damaged training went into the database";
    } catch (const EInOutError& e) {
        EXPECT_EQ(std::string(e.what()), "'" + damaged + "': The training file is damaged: it holds 40 of the "
                                         "65534 samples it announces; the missing ones read as zero.");
    }
    std::vector<std::string> names = Names(db_);
    EXPECT_EQ(names, (std::vector<std::string>{"_AB.KLT"})); // nothing else, no temporary
}

TEST_F(TrainingDatabase, WalkFiltersByInitialsAndDates) {
    PutTraining("_JD.KLT/2026_11.KLT/J011126A.klt", "JD", Day(2026, 11, 1));
    PutTraining("_JD.KLT/2026_12.KLT/J091226A.klt", "JD", Day(2026, 12, 9));
    PutTraining("_MK.KLT/2026_12.KLT/M101226A.klt", "MK", Day(2026, 12, 10));
    test::WriteFileBytes(db_ + "/_MK.KLT/2026_12.KLT/broken.klt", "not a training");
    auto walk = [&](TTrainingFilter filter) {
        std::vector<std::string> seen;
        ForEachTraining(db_, filter, [&](TKLTFile& f) {
            seen.push_back(f.Marker(0).name + FormatIsoDate(f.Header().date));
            EXPECT_EQ(f.LoadState(), TLoadState::Requested); // header only
            return true;
        });
        return seen;
    };
    EXPECT_EQ(walk({}).size(), 3u);
    EXPECT_EQ(walk({"jd"}), (std::vector<std::string>{"JD2026-11-01", "JD2026-12-09"}));
    EXPECT_EQ(walk({"x;MK"}), (std::vector<std::string>{"MK2026-12-10"}));
    TTrainingFilter december{"*", Day(2026, 12, 1)};
    EXPECT_EQ(walk(december).size(), 2u);
    TTrainingFilter sameDayEarly{"*", Day(2026, 12, 9), 0, Day(2026, 12, 9), 3500000};
    EXPECT_TRUE(walk(sameDayEarly).empty()); // starts at 10:00
}

TEST_F(TrainingDatabase, WalkFindsTrainingsWithoutADateOrBeyond2049) {
    // Where the database places them: no date falls into the month of day 0xFFFF (2059).
    for (const uint16_t date : {kNoDate, uint16_t{0}, Day(2055, 3, 1)}) {
        const std::string dir = CanonicalDirectory(db_, "JD", date);
        PutTraining(dir.substr(db_.size() + 1) + CanonicalStem("JD", date) + "A.klt", "JD", date);
    }
    std::vector<uint16_t> open;
    ForEachTraining(db_, {}, [&](TKLTFile& f) {
        open.push_back(f.Header().date);
        return true;
    });
    std::sort(open.begin(), open.end());
    EXPECT_EQ(open, (std::vector<uint16_t>{0, Day(2055, 3, 1), kNoDate}));

    // A to-date excludes what has none; a from-date alone does not.
    std::vector<uint16_t> fromOnly;
    ForEachTraining(db_, {"*", Day(2000, 1, 1)}, [&](TKLTFile& f) {
        fromOnly.push_back(f.Header().date);
        return true;
    });
    EXPECT_EQ(fromOnly.size(), 2u);
    int bounded = 0;
    ForEachTraining(db_, {"*", 0, 0, Day(2056, 1, 1)}, [&](TKLTFile&) { return ++bounded > 0; });
    EXPECT_EQ(bounded, 2);
}

TEST_F(TrainingDatabase, RegistrySharesObjectsAndTrimsUnusedOnes) {
    TKLTFileRegistry registry;
    const std::string path = PutTraining("r.klt", "JD", 50000);
    TKLTFile& a = registry.OpenTraining(path, nullptr);
    TKLTFile& b = registry.OpenTraining(db_ + "/R.KLT", nullptr); // same file, other case
    EXPECT_EQ(&a, &b);
    a.EnsureLoaded();
    registry.ReleaseTraining(a, nullptr);
    registry.ReleaseTraining(a, nullptr);
    ASSERT_EQ(registry.Count(), 1u); // cached while its file exists
    EXPECT_EQ(a.LoadState(), TLoadState::Requested);

    for (size_t i = 0; i < TKLTFileRegistry::kMaxObjects + 5; ++i) {
        registry.OpenTraining(dir_.File("virtual" + std::to_string(i) + ".klt"), nullptr);
    }
    // Objects in use stay; the unused cached one went first.
    EXPECT_EQ(registry.Find(path), nullptr);
    EXPECT_EQ(registry.Count(), TKLTFileRegistry::kMaxObjects + 5);

    TKLTFile& gone = registry.OpenTraining(dir_.File("gone.klt"), nullptr);
    registry.ReleaseTraining(gone, nullptr); // never loaded, no file: freed at once
    EXPECT_EQ(registry.Find(dir_.File("gone.klt")), nullptr);
}

TEST_F(TrainingDatabase, SavingAsksBeforeOverwritingSomeoneElsesChange) {
    const std::string path = PutTraining("_JD.KLT/2026_12.KLT/J091226A.klt", "JD", Day(2026, 12, 9));
    TKLTFile& file = Open(path);
    file.EnsureLoaded();
    file.SetComment("mine");
    TKLTFile other(path);
    other.ReadFile();
    other.EditHeader().zeroOffset = 7;
    ::utimensat(AT_FDCWD, path.c_str(), nullptr, 0);
    other.WriteKLT7(path, TDateTimeMark{1000, 0}); // someone else saved meanwhile

    {
        test::TScriptedPrompt prompt({TPromptAnswer::No});
        EXPECT_FALSE(file.Save());
        ASSERT_EQ(prompt.shown.size(), 1u);
        EXPECT_EQ(prompt.shown[0].caption, "Warning");
        EXPECT_NE(prompt.shown[0].text.find("has been changed by another application"), std::string::npos);
    }
    {
        test::TScriptedPrompt prompt({TPromptAnswer::Yes});
        EXPECT_TRUE(file.Save());
    }
    EXPECT_FALSE(file.Modified());
    TKLTFile check(path);
    check.ReadFile();
    EXPECT_EQ(check.Comment(), "mine");
}

TEST_F(TrainingDatabase, CloseQueryRevertAndDeleteFollowTheAnswers) {
    const std::string path = PutTraining("_JD.KLT/2026_12.KLT/J091226A.klt", "JD", Day(2026, 12, 9));
    TKLTFile& file = Open(path);
    file.EnsureLoaded();
    file.SetComment("edited");
    {
        test::TScriptedPrompt prompt({TPromptAnswer::Cancel});
        EXPECT_FALSE(file.CloseQuery());
        EXPECT_NE(prompt.shown[0].text.find("Do you want to save the modified training file"),
                  std::string::npos);
    }
    {
        test::TScriptedPrompt prompt({TPromptAnswer::No, TPromptAnswer::Yes}); // don't save, do revert
        EXPECT_TRUE(file.CloseQuery());
        EXPECT_EQ(file.Comment(), "");
        EXPECT_FALSE(file.Modified());
    }
    history_.AddFile(path);
    {
        test::TScriptedPrompt prompt({TPromptAnswer::No});
        EXPECT_FALSE(file.Delete());
        EXPECT_TRUE(fs::exists(path));
    }
    struct TView : IKLTFileView {
        bool closed = false;
        void TrainingChanged(TKLTFile&, int) override {}
        void CloseView(TKLTFile& f) override {
            closed = true;
            f.RemoveView(this);
        }
    } view;
    file.AddView(&view);
    {
        test::TScriptedPrompt prompt({TPromptAnswer::Yes});
        EXPECT_TRUE(file.Delete());
    }
    EXPECT_TRUE(view.closed);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(fs::exists(db_ + "/_JD.KLT"));
    EXPECT_TRUE(history_.Items().empty());
}

TEST_F(TrainingDatabase, InitialsFromAFileNeverLeadOutOfTheDatabase) {
    const std::string path = PutTraining("in.klt", "../../../escaped", Day(2026, 12, 9));
    TKLTFile& file = Open(path);
    file.EnsureLoaded();
    // The slashes go; the dots are allowed in initials and stay inside one folder name.
    EXPECT_EQ(file.FileName(), db_ + "/_......escaped.KLT/2026_12.KLT/_091226A.klt"); // and is not hidden
    EXPECT_EQ(Names(dir_.Path()), std::vector<std::string>{"_DATA.KLT"});
}

TEST_F(TrainingDatabase, WhenEverySuffixIsTakenTheUserIsToldSo) {
    const uint16_t date = Day(2026, 12, 9);
    const std::string dir = db_ + "/_JD.KLT/2026_12.KLT/";
    fs::create_directories(dir);
    for (char suffix : std::string("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789")) {
        test::WriteFileBytes(dir + "J091226" + suffix + ".klt", "taken");
    }
    const std::string path = PutTraining("new.klt", "JD", date);
    TKLTFile& file = Open(path);
    try {
        file.EnsureLoaded();
        FAIL() << "no free name, yet loaded";
    } catch (const EKLTFileDatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("all 36 names for trainings of this athlete on this day are taken"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_TRUE(fs::exists(path)); // nothing was moved or lost

    TKLTFile outside(dir_.File("ride.klt"));
    test::FillTraining(outside, 5, {}, "JD", date);
    EXPECT_THROW(PlaceInDatabase(outside, db_), EKLTFileDatabaseError);
    EXPECT_EQ(Names(dir).size(), 36u); // and no temporary stays behind
}

TEST_F(TrainingDatabase, TemporariesOfKilledRunsGoWithTheNextPlacement) {
    const uint16_t date = Day(2026, 12, 9);
    const std::string dir = db_ + "/_JD.KLT/2026_12.KLT/";
    fs::create_directories(dir);
    const pid_t gone = ::fork();
    if (gone == 0) {
        ::_exit(0);
    }
    ::waitpid(gone, nullptr, 0);
    const std::string ofGoneRun = ".J091226A.klt." + std::to_string(gone) + "-a1b2c3";
    const std::string ofLiveRun = ".J091226B.klt." + std::to_string(::getpid()) + "-a1b2c3";
    for (const std::string& name : {ofGoneRun, ofLiveRun, std::string(".hidden-notes.txt")}) {
        test::WriteFileBytes(dir + name, "partial");
    }
    PlaceNewTraining(db_, "JD", date, [](const std::string& path) { test::WriteTraining(path); });
    EXPECT_EQ(Names(dir), (std::vector<std::string>{".J091226B.klt." + std::to_string(::getpid()) + "-a1b2c3",
                                                    ".hidden-notes.txt", "J091226A.klt"}));

    // Names that tell no process go once they have not changed for an hour.
    const int64_t hour = int64_t{3600} * 1'000'000'000;
    const int64_t now = 100 * hour;
    EXPECT_TRUE(IsStaleTrainingTemporary(".incoming-Ab12Cd", now - 2 * hour, now));
    EXPECT_TRUE(IsStaleTrainingTemporary(".J091226C.klt.Xy12Zq", now - 2 * hour, now));
    EXPECT_FALSE(IsStaleTrainingTemporary(".J091226C.klt.Xy12Zq", now - hour / 2, now));
    EXPECT_FALSE(IsStaleTrainingTemporary("J091226C.klt", now - 2 * hour, now));
    EXPECT_FALSE(IsStaleTrainingTemporary(".hidden-notes.txt", now - 2 * hour, now));
}

TEST_F(TrainingDatabase, ForeignFilesLoadThroughTheImportHookOnlyWhenAskedFor) {
    int imports = 0;
    TKLTFile::ForeignImport() = [&](TKLTFile& f) {
        ++imports;
        test::FillTraining(f, 3);
    };
    test::WriteFileBytes(dir_.File("ride.hrm"), "[Params]\n");
    TKLTFile foreign(dir_.File("ride.hrm"));
    EXPECT_THROW(foreign.EnsureLoaded(2), EInOutError);
    foreign.EnsureLoaded(3);
    EXPECT_EQ(imports, 1);
    EXPECT_EQ(foreign.LoadState(), TLoadState::Imported);
    EXPECT_EQ(foreign.SampleCount(), 3);

    test::WriteFileBytes(dir_.File("broken.klt"), "nonsense");
    TKLTFile broken(dir_.File("broken.klt"));
    EXPECT_THROW(broken.EnsureLoaded(3), EInOutError); // a .klt file is never imported
    EXPECT_EQ(imports, 1);
    TKLTFile::ForeignImport() = nullptr;
}

} // namespace
} // namespace klt

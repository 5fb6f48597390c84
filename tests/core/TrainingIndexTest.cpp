#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>

#include "core/TrainingIndex.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TempDatabase.h"

namespace klt {
namespace {

namespace fs = std::filesystem;
using test::Day;

constexpr int32_t kNine = 9 * 360000;

TIndexEntry SampleEntry(const std::string& name) {
    TIndexEntry entry;
    entry.name = name;
    entry.size = 4321;
    entry.modified = 1'765'000'000'123'456'789;
    TTrainingSummary s;
    s.date = Day(2026, 12, 9);
    s.startTime = kNine;
    s.endTime = kNine + 360000;
    s.blockCount = 2;
    s.duration = 360000;
    s.work = -1; // every field travels with its sign and width
    s.distance = int64_t{1} << 40;
    s.avgTemperature = -55;
    s.slope = 0xFFFF;
    s.initials = "JD";
    s.comment = "Hügel ×3";
    entry.summary = s;
    return entry;
}

// What the walk lists: path, comment and average power (raw) of every training, in walk order.
std::vector<std::string> Listing(const std::string& db, TTrainingFilter filter = {}) {
    std::vector<std::string> seen;
    ForEachListedTraining(db, filter, [&](const TListedTraining& t) {
        seen.push_back(t.path + "|" + t.summary.comment + "|" + std::to_string(t.summary.avgPower));
        return true;
    });
    return seen;
}

std::vector<std::string> IndexFiles(const std::string& db) {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(db)) {
        if (entry.path().filename() == kTrainingIndexName) {
            found.push_back(entry.path().string());
        }
    }
    return found;
}

// Rewrites a training in place, keeping its size and modification time: a change the index
// cannot see, so it shows whether the walk read the file.
void ChangeUnseen(const std::string& path, const std::string& comment) {
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    TKLTFile file(path);
    file.ReadFile();
    file.SetCommentText(comment);
    file.WriteKLT7(path, TDateTimeMark::None());
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST(TrainingIndexFormat, EntriesSurviveTheRoundTripAndUnknownSectionsAreKept) {
    TIndexEntry unreadable;
    unreadable.name = "broken.klt";
    unreadable.unreadable = true;
    TIndexEntry newer = SampleEntry("J091226B.klt");
    newer.otherSections = {{77, "mean-max of a newer program"}, {78, ""}};
    const std::vector<TIndexEntry> entries = {SampleEntry("J091226A.klt"), newer, unreadable};
    const std::optional<std::vector<TIndexEntry>> back = DecodeTrainingIndex(EncodeTrainingIndex(entries));
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, entries);
    EXPECT_TRUE(DecodeTrainingIndex(EncodeTrainingIndex({})).has_value());
}

TEST(TrainingIndexFormat, ASummaryWithFieldsOfANewerProgramIsRead) {
    std::string bytes = EncodeTrainingIndex({SampleEntry("J091226A.klt")});
    // Four more bytes at the end of the summary, the one section; both lengths grow with them.
    bytes += "more";
    const size_t entryLength = 12, sectionLength = entryLength + 4 + 2 + 12 + 8 + 8 + 2;
    for (size_t at : {entryLength, sectionLength}) {
        bytes[at] = static_cast<char>(static_cast<uint8_t>(bytes[at]) + 4);
    }
    const auto back = DecodeTrainingIndex(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->at(0).summary, SampleEntry("J091226A.klt").summary);
}

TEST(TrainingIndexFormat, DamageOfEveryKindIsRefused) {
    const std::string good = EncodeTrainingIndex({SampleEntry("J091226A.klt"), SampleEntry("J091226B.klt")});
    auto withU32At = [&](size_t at, uint32_t value) {
        std::string bytes = good;
        for (size_t i = 0; i < 4; ++i) {
            bytes[at + i] = static_cast<char>(value >> (8 * i));
        }
        return bytes;
    };
    std::string wrongVersion = good;
    wrongVersion[6] = 2;
    std::string twice = EncodeTrainingIndex({SampleEntry("J091226A.klt")});
    const std::string summary = twice.substr(12 + 4 + 2 + 12 + 16); // its one section, as it stands
    twice += summary;
    twice[12] = static_cast<char>(static_cast<uint8_t>(twice[12]) + summary.size());
    TIndexEntry slashed = SampleEntry("../../x.klt");
    for (const std::string& damaged : {good.substr(0, good.size() - 1), good.substr(0, 5), std::string("KLTIDX"),
                                       std::string(200, '\xFF'), wrongVersion, withU32At(8, 0xFFFFFFFF),
                                       withU32At(8, 3), withU32At(12, 0x7FFFFFFF), good + "tail",
                                       EncodeTrainingIndex({slashed}), twice}) {
        EXPECT_FALSE(DecodeTrainingIndex(damaged).has_value()) << damaged.size();
    }
}

class TrainingIndex : public ::testing::Test {
protected:
    test::TTempDatabase db_;
};

TEST_F(TrainingIndex, AWalkWritesTheIndexAndAFolderThatMatchesIsNotRead) {
    const std::string a = db_.Put("JD", Day(2026, 12, 1), kNine, 30, "first");
    const std::string b = db_.Put("JD", Day(2026, 12, 2), kNine, 30, "second");
    const std::vector<std::string> cold = Listing(db_.Path());
    ASSERT_EQ(cold.size(), 2u);
    const auto stored = ReadTrainingIndex(fs::path(a).parent_path().string());
    ASSERT_TRUE(stored);
    ASSERT_EQ(stored->size(), 2u);
    EXPECT_EQ(stored->at(0).summary->comment, "first");

    ChangeUnseen(a, "changed behind its back");
    EXPECT_EQ(Listing(db_.Path()), cold); // from the index alone
}

TEST_F(TrainingIndex, ChangedVanishedAndNewFilesAreTakenOnTheWalk) {
    const std::string changed = db_.Put("JD", Day(2026, 12, 1), kNine, 30, "before");
    const std::string vanished = db_.Put("JD", Day(2026, 12, 2), kNine);
    const std::string touched = db_.Put("JD", Day(2026, 12, 3), kNine, 30, "same size");
    Listing(db_.Path());

    fs::remove(vanished);
    {
        TKLTFile file(changed); // a longer ride: another size
        test::FillTraining(file, 60, {{kNine, 60}}, "JD", Day(2026, 12, 1));
        file.SetCommentText("after");
        file.WriteKLT7(changed, TDateTimeMark::None());
    }
    ChangeUnseen(touched, "same size, new time");
    ::utimensat(AT_FDCWD, touched.c_str(), nullptr, 0); // now
    const std::string added = db_.Put("JD", Day(2026, 12, 4), kNine, 30, "new");

    EXPECT_EQ(Listing(db_.Path()), (std::vector<std::string>{changed + "|after|244", touched + "|same size, new time|124",
                                                            added + "|new|124"}));
    const auto stored = ReadTrainingIndex(fs::path(changed).parent_path().string());
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->size(), 3u);
}

TEST_F(TrainingIndex, ADamagedIndexIsRebuiltWithoutAWord) {
    const std::string path = db_.Put("JD", Day(2026, 12, 1), kNine, 30, "ride");
    const std::string index = fs::path(path).parent_path().string() + "/" + std::string(kTrainingIndexName);
    const std::vector<std::string> expected = {path + "|ride|124"};
    test::TScriptedPrompt prompt({});
    const std::string huge = std::string("KLTIDX\x01\x00", 8) + "\xFF\xFF\xFF\x7F";
    for (const std::string& damage : {std::string(), std::string("garbage"), huge, std::string(100000, 'x')}) {
        test::WriteFileBytes(index, damage);
        EXPECT_EQ(Listing(db_.Path()), expected);
        EXPECT_TRUE(ReadTrainingIndex(fs::path(path).parent_path().string()).has_value()); // written anew
    }
    fs::remove(index);
    fs::create_directory(index); // not even a file
    EXPECT_EQ(Listing(db_.Path()), expected);
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(TrainingIndex, DeletingEveryIndexLosesNothing) {
    db_.Put("JD", Day(2026, 11, 30), kNine, 30, "one");
    db_.Put("JD", Day(2026, 12, 1), kNine, 40, "two");
    db_.Put("MK", Day(2026, 12, 1), kNine, 50, "three");
    test::WriteFileBytes(db_.Path() + "/_MK.KLT/2026_12.KLT/notes.klt", "no training");
    const std::vector<std::string> before = Listing(db_.Path());
    ASSERT_EQ(before.size(), 3u);
    ASSERT_EQ(IndexFiles(db_.Path()).size(), 3u);
    for (const std::string& index : IndexFiles(db_.Path())) {
        fs::remove(index);
    }
    EXPECT_EQ(Listing(db_.Path()), before);
    EXPECT_EQ(IndexFiles(db_.Path()).size(), 3u);
}

TEST_F(TrainingIndex, UnknownSectionsStayWhileTheirFileStaysTheSame) {
    const std::string kept = db_.Put("JD", Day(2026, 12, 1), kNine);
    const std::string changed = db_.Put("JD", Day(2026, 12, 2), kNine);
    const std::string month = fs::path(kept).parent_path().string();
    Listing(db_.Path());
    std::vector<TIndexEntry> entries = *ReadTrainingIndex(month);
    for (TIndexEntry& entry : entries) {
        entry.otherSections = {{99, "zone times"}};
    }
    WriteTrainingIndex(month, entries);
    ::utimensat(AT_FDCWD, changed.c_str(), nullptr, 0);
    Listing(db_.Path());
    const std::vector<TIndexEntry> after = *ReadTrainingIndex(month);
    EXPECT_EQ(after.at(0).otherSections.size(), 1u);
    EXPECT_TRUE(after.at(1).otherSections.empty()); // about the old file
}

TEST_F(TrainingIndex, SavingRenamingAndDeletingKeepTheIndexCurrent) {
    const std::string path = db_.Put("JD", Day(2026, 12, 9), kNine);
    db_.Put("JD", Day(2026, 12, 10), kNine); // keeps the month folder
    Listing(db_.Path());
    const std::string december = fs::path(path).parent_path().string();
    auto commentIn = [](const std::string& month, const std::string& name) {
        for (const TIndexEntry& entry : ReadTrainingIndex(month).value_or(std::vector<TIndexEntry>{})) {
            if (entry.name == name) {
                return entry.summary ? entry.summary->comment : std::string("(unreadable)");
            }
        }
        return std::string("(none)");
    };

    TKLTFile& file = KLTFileRegistry().OpenTraining(path, nullptr);
    file.EnsureLoaded();
    file.SetComment("saved");
    ASSERT_TRUE(file.Save());
    EXPECT_EQ(commentIn(december, "J091226A.klt"), "saved");

    file.SetDate(Day(2027, 1, 2)); // moves the file to another month
    const std::string january = fs::path(file.FileName()).parent_path().string();
    EXPECT_EQ(commentIn(december, "J091226A.klt"), "(none)");
    EXPECT_EQ(commentIn(january, "J020127A.klt"), "saved");

    test::TScriptedPrompt prompt({TPromptAnswer::Yes, TPromptAnswer::Yes});
    ASSERT_TRUE(file.Save());
    ASSERT_TRUE(file.Delete());
    KLTFileRegistry().ReleaseTraining(file, nullptr);
    EXPECT_FALSE(fs::exists(january)); // the index went with the folder's last training
    EXPECT_EQ(commentIn(december, "J101226A.klt"), "");

    // A training outside the month folders gets no index.
    const std::string loose = db_.Path() + "/loose.klt";
    test::WriteTraining(loose);
    UpdateTrainingIndex(db_.Path(), loose);
    UpdateTrainingIndex(db_.Path(), "/elsewhere/_JD.KLT/2026_12.KLT/J091226A.klt");
    EXPECT_EQ(IndexFiles(db_.Path()).size(), 1u);
}

} // namespace
} // namespace klt

// The heart-rate-variability recording against the simulated ergometer's head unit, sped up: the
// strap's missed and extra beats as the table shows them, a stop that writes the recording and
// empties the table, a close with nothing recorded that writes nothing, and a recording that
// cannot be written kept until it can.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <thread>

#include "online/HRVarRecorder.h"
#include "online/HeartRateVarianceFile.h"
#include "tests/support/RawTraining.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/thread/ErgometerRig.h"

namespace klt {
namespace {

using namespace std::chrono_literals;

// Answers each question by running `answer`.
class TAnsweringPrompt : public TCautiousPrompt {
public:
    explicit TAnsweringPrompt(std::function<TPromptAnswer(const std::string&)> answer) : answer_(std::move(answer)) {}
    TPromptAnswer Ask(const std::string&, const std::string& text, TPromptButtons) override {
        ++questions;
        return answer_(text);
    }
    int questions = 0;

private:
    std::function<TPromptAnswer(const std::string&)> answer_;
};

class HRVarRecorderTest : public ::testing::Test {
protected:
    explicit HRVarRecorderTest(sim::TBeatFaults beats = {}) : rig_(beats) {}

    // Pumps as the window's timer would until the table holds `beats`.
    bool RecordBeats(THRVarRecorder& recorder, size_t beats) {
        const auto end = std::chrono::steady_clock::now() + 20s;
        while (recorder.Table().Count() < beats) {
            if (std::chrono::steady_clock::now() > end) {
                return false;
            }
            std::this_thread::sleep_for(5ms);
            recorder.Pump();
        }
        return true;
    }
    std::filesystem::path Folder() const { return std::filesystem::path(database_.Path()) / "HRVariance"; }
    size_t FilesWritten() const {
        return std::filesystem::exists(Folder()) ? static_cast<size_t>(std::distance(
                                                       std::filesystem::directory_iterator(Folder()), {}))
                                                 : 0;
    }

    TErgometerRig rig_;
    test::TTempDir database_;
    test::TScriptedPrompt prompt_;
};

class HRVarRecorderMissedBeats : public HRVarRecorderTest {
protected:
    HRVarRecorderMissedBeats() : HRVarRecorderTest({.missedEvery = 7}) {}
};

class HRVarRecorderExtraBeats : public HRVarRecorderTest {
protected:
    HRVarRecorderExtraBeats() : HRVarRecorderTest({.extraEvery = 7}) {}
};

TEST_F(HRVarRecorderMissedBeats, AMissedBeatSlowsTheHeartOnceAndItsCatchingUpIsLeftEmpty) {
    THRVarRecorder recorder(&rig_.veltrak, database_.Path(), prompt_, kSimulatedCycle);
    ASSERT_TRUE(recorder.Start());
    ASSERT_TRUE(RecordBeats(recorder, 60));
    const std::vector<THRDistRecord>& records = recorder.Table().Records();
    int missed = 0;
    for (size_t i = 1; i + 1 < records.size(); ++i) {
        if (records[i].hrDist > records[i - 1].hrDist * 3 / 2) {
            ++missed;
            ASSERT_TRUE(records[i].heartrateVariance);
            EXPECT_LT(*records[i].heartrateVariance, -100);
            EXPECT_FALSE(records[i + 1].heartrateVariance) << "the beat after a missed one speeds up by far";
        }
        EXPECT_EQ(records[i].index, static_cast<int32_t>(i + 1));
        EXPECT_EQ(records[i].heartrate, HeartrateOfInterval(records[i].hrDist));
    }
    EXPECT_GE(missed, 5);
    EXPECT_EQ(recorder.LiveHeartrate(), recorder.Table().Records().back().heartrate);
    EXPECT_TRUE(recorder.Close());
}

TEST_F(HRVarRecorderExtraBeats, AnExtraBeatSpeedsUpTooFarAndIsLeftEmptyThenSlowsBack) {
    THRVarRecorder recorder(&rig_.veltrak, database_.Path(), prompt_, kSimulatedCycle);
    ASSERT_TRUE(recorder.Start());
    ASSERT_TRUE(RecordBeats(recorder, 60));
    const std::vector<THRDistRecord>& records = recorder.Table().Records();
    int extra = 0;
    for (size_t i = 1; i + 2 < records.size(); ++i) {
        if (records[i].hrDist < records[i - 1].hrDist * 2 / 3) {
            ++extra;
            EXPECT_FALSE(records[i].heartrateVariance);
            EXPECT_NEAR(records[i + 1].heartrateVariance.value_or(1000), 0, 1); // the other half
            ASSERT_TRUE(records[i + 2].heartrateVariance);
            EXPECT_LT(*records[i + 2].heartrateVariance, -100);
            ++i;
        }
    }
    EXPECT_GE(extra, 5);
    EXPECT_TRUE(recorder.Close());
}

TEST_F(HRVarRecorderTest, StopWritesTheRecordingAndEmptiesTheTableForTheNext) {
    THRVarRecorder recorder(&rig_.veltrak, database_.Path(), prompt_, kSimulatedCycle);
    ASSERT_TRUE(recorder.HasHeadUnit());
    ASSERT_TRUE(recorder.Start());
    EXPECT_TRUE(recorder.Recording());
    EXPECT_FALSE(recorder.Start()) << "already recording";
    ASSERT_TRUE(RecordBeats(recorder, 20));
    const std::vector<THRDistRecord> pumped = recorder.Table().Records();

    ASSERT_TRUE(recorder.Stop());
    EXPECT_FALSE(recorder.Recording());
    EXPECT_TRUE(recorder.Table().Empty());
    EXPECT_FALSE(recorder.LiveHeartrate());
    ASSERT_TRUE(recorder.SavedFile());
    EXPECT_EQ(std::filesystem::path(*recorder.SavedFile()).parent_path(), Folder());
    // everything pumped, and what was still on its way when it stopped, in order
    const std::vector<THRVarianceLine> lines = ReadHRVarianceFile(*recorder.SavedFile());
    ASSERT_GE(lines.size(), pumped.size());
    for (size_t i = 0; i < pumped.size(); ++i) {
        EXPECT_EQ(lines[i].hrDist, pumped[i].hrDist) << i;
    }
    EXPECT_TRUE(prompt_.shown.empty());

    // the next recording starts its own table and its own file
    std::this_thread::sleep_for(20ms); // a file name differs by the first beat's time
    ASSERT_TRUE(recorder.Start());
    ASSERT_TRUE(RecordBeats(recorder, 5));
    EXPECT_EQ(recorder.Table().Records().front().index, 1);
    EXPECT_TRUE(recorder.Close());
    EXPECT_FALSE(recorder.Recording());
    EXPECT_EQ(FilesWritten(), 2u);
}

TEST_F(HRVarRecorderTest, ClosingWithNothingRecordedWritesNoFile) {
    {
        THRVarRecorder recorder(&rig_.veltrak, database_.Path(), prompt_, kSimulatedCycle);
        EXPECT_TRUE(recorder.Close());
    }
    {
        THRVarRecorder headless(nullptr, database_.Path(), prompt_);
        EXPECT_FALSE(headless.HasHeadUnit());
        EXPECT_FALSE(headless.Start());
        EXPECT_FALSE(headless.Recording());
        EXPECT_FALSE(headless.Stop());
        EXPECT_FALSE(headless.Pump());
        EXPECT_TRUE(headless.Close());
    }
    EXPECT_FALSE(std::filesystem::exists(Folder()));
}

TEST_F(HRVarRecorderTest, ARecordingThatCannotBeWrittenIsKeptUntilItCanBe) {
    test::WriteFileBytes(Folder().string(), "in the way"); // no folder can be made
    int cancels = 0;
    TAnsweringPrompt prompt([&](const std::string& text) {
        EXPECT_NE(text.find("could not be written"), std::string::npos) << text;
        if (cancels++ == 0) {
            return TPromptAnswer::Cancel;
        }
        std::filesystem::remove(Folder()); // the user made room and retries
        return TPromptAnswer::Retry;
    });
    THRVarRecorder recorder(&rig_.veltrak, database_.Path(), prompt, kSimulatedCycle);
    ASSERT_TRUE(recorder.Start());
    ASSERT_TRUE(RecordBeats(recorder, 10));

    EXPECT_FALSE(recorder.Stop());
    EXPECT_EQ(prompt.questions, 1);
    const size_t kept = recorder.Table().Count();
    EXPECT_GE(kept, 10u) << "the beats stay for the next attempt";
    EXPECT_FALSE(recorder.SavedFile());

    // the next start writes them first, so they never run into the new recording
    ASSERT_TRUE(recorder.Start());
    EXPECT_EQ(prompt.questions, 2);
    ASSERT_TRUE(recorder.SavedFile());
    EXPECT_EQ(ReadHRVarianceFile(*recorder.SavedFile()).size(), kept);
    EXPECT_TRUE(recorder.Recording());
    EXPECT_TRUE(recorder.Close());
}

} // namespace
} // namespace klt

#include <gtest/gtest.h>

#include "flow/ReadDataModel.h"
#include "tests/flow/FlowFakes.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TempDatabase.h"

namespace klt {
namespace {

using test::TFakeVeltrak;

class ReadDataModelTest : public ::testing::Test {
protected:
    // A read dialog's controller over a scripted register head unit.
    TKLTVtrkReadDataModel& Model(bool wholeMemory = false, int type = 4) {
        auto veltrak = std::make_unique<TFakeVeltrak>(&clock_);
        fake_ = veltrak.get();
        model_ = std::make_unique<TKLTVtrkReadDataModel>(test::Configuration(type, db_.Path()), wholeMemory,
                                                         "Read %s", "left %s", test::InstalledPrompt(),
                                                         std::move(veltrak));
        return *model_;
    }

    test::TTempDatabase db_;
    test::TManualClock clock_;
    TFakeVeltrak* fake_ = nullptr;
    std::unique_ptr<TKLTVtrkReadDataModel> model_;
};

TEST_F(ReadDataModelTest, LowerMemoryIsReadUpwardsAndTheUpperPartFromItsEndDownwards) {
    TKLTVtrkReadDataModel& model = Model();
    ASSERT_TRUE(model.Download());
    ASSERT_EQ(fake_->indices.size(), 103u);
    for (uint16_t n = 0; n < 100; ++n) {
        ASSERT_EQ(fake_->indices[n], n);
    }
    EXPECT_EQ(fake_->indices[100], 26044);
    EXPECT_EQ(fake_->indices[101], 26043);
    EXPECT_EQ(fake_->indices[102], 26042);
    EXPECT_EQ(model.Image().RecordCount(), 103);
    EXPECT_EQ(model.Caption(), "Read JD at Com1");
    EXPECT_EQ(model.Outcome(), TDownloadOutcome::Done);
}

TEST_F(ReadDataModelTest, WholeMemoryFlagReadsEveryRecordWhateverTheHeadUnitReports) {
    TKLTVtrkReadDataModel& model = Model(true);
    ASSERT_TRUE(model.Download());
    EXPECT_EQ(fake_->indices.size(), 26045u);
    EXPECT_EQ(model.Image().RecordCount(), 26045); // kept for the conversion, not cut to the counters
    EXPECT_EQ(fake_->indices.back(), 100);        // the last upper record lies just above the lower part
}

TEST_F(ReadDataModelTest, RemainingTimeFollowsTheLastHundredRecords) {
    TKLTVtrkReadDataModel& model = Model();
    fake_->status = [](TVeltrakStatus& s) {
        s.HeapSize = 1000;
        s.HeapCount = 350;
    };
    fake_->msPerRecord = 20; // 2 s per hundred
    std::vector<std::string> shown;
    model.OnChanged = [&] {
        if (shown.empty() || shown.back() != model.RemainingTime()) {
            shown.push_back(model.RemainingTime());
        }
    };
    ASSERT_TRUE(model.Download());
    EXPECT_TRUE(model.RemainingTimeVisible());
    // after 100 records: 2000 ms x 2 hundreds left / 10 + 99 hundredths, shown in whole seconds
    EXPECT_EQ(shown, (std::vector<std::string>{"", "left 00:00:04", "left 00:00:02", "left 00:00:00"}));
}

TEST_F(ReadDataModelTest, FailedRecordIsReadAgainAfterRetry) {
    test::TScriptedPrompt prompt({TPromptAnswer::Retry});
    TKLTVtrkReadDataModel& model = Model();
    fake_->failOnce = {42};
    ASSERT_TRUE(model.Download());
    EXPECT_EQ(fake_->indices.size(), 104u);
    EXPECT_EQ(fake_->indices[42], 42);
    EXPECT_EQ(fake_->indices[43], 42);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_NE(prompt.shown[0].text.find("not responding"), std::string::npos);
}

TEST_F(ReadDataModelTest, CancelInTheRetryBoxEndsTheDownloadWithoutSaveDialog) {
    test::TScriptedPrompt prompt({TPromptAnswer::Cancel});
    TKLTVtrkReadDataModel& model = Model();
    fake_->failOnce = {42};
    EXPECT_FALSE(model.Download());
    EXPECT_EQ(model.Outcome(), TDownloadOutcome::Aborted);
    EXPECT_EQ(fake_->indices.size(), 43u);
    EXPECT_FALSE(model.Downloaded().Complete());
}

TEST_F(ReadDataModelTest, AbortButtonStopsTheRecordLoop) {
    TKLTVtrkReadDataModel& model = Model();
    fake_->duringRecord = [&] {
        if (fake_->indices.size() == 10) {
            model.Abort();
        }
    };
    EXPECT_FALSE(model.Download());
    EXPECT_EQ(model.Outcome(), TDownloadOutcome::Cancelled);
    EXPECT_EQ(fake_->indices.size(), 10u);
}

TEST_F(ReadDataModelTest, StatusFailureGoesToTheRetryBoxAndIsReadAgain) {
    test::TScriptedPrompt prompt({TPromptAnswer::Retry});
    TKLTVtrkReadDataModel& model = Model();
    bool failed = false;
    const auto report = fake_->status;
    fake_->status = [&](TVeltrakStatus& s) {
        if (!std::exchange(failed, true)) {
            throw EVeltrakTimeout("Com1");
        }
        report(s);
    };
    ASSERT_TRUE(model.Download());
    EXPECT_EQ(fake_->statusReads, 2);
}

TEST_F(ReadDataModelTest, OtherFailureIsShownAndEndsTheDialogAborted) {
    test::TScriptedPrompt prompt;
    TKLTVtrkReadDataModel& model = Model();
    fake_->status = [](TVeltrakStatus&) { throw std::runtime_error("disk on fire"); };
    EXPECT_FALSE(model.Download());
    EXPECT_EQ(model.Outcome(), TDownloadOutcome::Aborted);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "disk on fire");
    EXPECT_EQ(model.Downloaded().incomplete, std::vector<std::string>{"disk on fire"});
}

} // namespace
} // namespace klt

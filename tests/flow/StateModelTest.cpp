#include <gtest/gtest.h>

#include "flow/SectionSelectModel.h"
#include "flow/StateModel.h"
#include "tests/flow/FlowFakes.h"
#include "tests/support/ScriptedPrompt.h"

namespace klt {
namespace {

using test::TFakeVeltrak;

class StateModelTest : public ::testing::Test {
protected:
    StateModelTest() {
        auto veltrak = std::make_unique<TFakeVeltrak>(&clock_);
        fake_ = veltrak.get();
        fake_->status = [](TVeltrakStatus& s) {
            s.SetInitialen("JD");
            s.ClockTime = 12 * 360000 + 37; // 37 hundredths past the second
            s.Leistung = 200 * 8;
            s.Temperatur = 215;
        };
        model_ = std::make_unique<TKLTVtrkStateModel>(test::Configuration(4), "State %s", test::InstalledPrompt(),
                                                      std::move(veltrak));
    }

    test::TManualClock clock_;
    TFakeVeltrak* fake_ = nullptr;
    std::unique_ptr<TKLTVtrkStateModel> model_;
};

TEST_F(StateModelTest, WholeStatusFirstThenClockAndLiveValuesAtTheNextFullSecond) {
    EXPECT_EQ(model_->Tick(), 630);
    EXPECT_EQ(fake_->statusReads, 1);
    EXPECT_EQ(model_->Caption(), "State JD at Com1");
    EXPECT_TRUE(model_->Texts().temperatureShown);
    EXPECT_NE(model_->Texts().power.find("200"), std::string::npos) << model_->Texts().power;

    model_->Status().ClockTime = 12 * 360000;
    EXPECT_EQ(model_->Tick(), 1000);
    EXPECT_EQ(fake_->statusReads, 1);
    EXPECT_EQ(fake_->clockReads, 1);
    EXPECT_EQ(fake_->liveReads, 1);
}

TEST_F(StateModelTest, MissingTemperatureSensorIsHidden) {
    model_->Tick();
    model_->Status().Temperatur = kNoTemperature;
    model_->Tick();
    EXPECT_FALSE(model_->Texts().temperatureShown);
    EXPECT_TRUE(model_->Texts().temperature.empty());
}

TEST_F(StateModelTest, FailedReadAsksAndReadsTheWholeStatusNextTime) {
    test::TScriptedPrompt prompt({TPromptAnswer::Retry, TPromptAnswer::Cancel});
    model_->Tick();
    fake_->duringLiveRead = [] { throw EVeltrakTimeout("Com1"); };
    EXPECT_EQ(model_->Tick(), 0); // retry at once
    EXPECT_TRUE(model_->FullReadNext());
    fake_->duringLiveRead = nullptr;
    model_->Tick();
    EXPECT_EQ(fake_->statusReads, 2);

    fake_->duringLiveRead = [] { throw EVeltrakTimeout("Com1"); };
    EXPECT_EQ(model_->Tick(), std::nullopt); // cancel closes the dialog
}

TEST_F(StateModelTest, ClosingDuringAReadAbortsIt) {
    model_->Tick();
    fake_->duringLiveRead = [&] {
        model_->Close();
        fake_->ProcessIdle();
    };
    EXPECT_EQ(model_->Tick(), std::nullopt);
}

TEST(SectionSelectModel, AllStartTickedAndTheHeaderUnticksThem) {
    std::vector<TSectionChoice> choices = {{"first", false}, {"second", true}};
    TTrainingStatusInformationSelectModel model(choices);
    EXPECT_TRUE(model.Checked(0));
    EXPECT_TRUE(model.Checked(1));
    model.HeaderClicked("Date");
    EXPECT_TRUE(choices[0].chosen);
    model.HeaderClicked("x");
    EXPECT_FALSE(choices[0].chosen);
    EXPECT_FALSE(choices[1].chosen);
    model.SetChecked(1, true);
    EXPECT_TRUE(choices[1].chosen);
}

} // namespace
} // namespace klt

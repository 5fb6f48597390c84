// The brake step runs on the head-unit read thread while the window's thread sets targets and
// switches the brake: no torn state, and the brake ends released whatever the interleaving.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "../online/BrakeRig.h"

namespace klt {
namespace {

TEST(BrakeControlShared, StepsWhileTheWindowSetsTargetsAndTogglesTheBrake) {
    constexpr int kSteps = 400;
    TBrakeRig rig;
    rig.Start(200);
    std::atomic<bool> reading{true};
    std::thread reader([&] {
        for (int step = 0; step < kSteps; ++step) {
            TVeltrakStatus& status = rig.device.Status();
            TKLTOnlineData sample;
            sample.SetValue(dcPower, 150 + step % 100);
            sample.SetValue(dcSpeed, 9000 + step % 50);
            sample.SetValue(dcCadence, 90);
            sample.SetValue(dcHeartRate, 130);
            {
                // The read: the live values arrive with the head unit held.
                const TDeviceAccess::TLock lock = rig.access.Acquire();
                status.Leistung = static_cast<int16_t>(sample.Power() * 8);
                status.Geschwindigkeit = static_cast<int16_t>(sample.Speed());
                status.Tretfrequenz = 90 * 32;
                status.Herzfrequenz = 130 * 64;
            }
            rig.samples.Append(sample);
            rig.control->AfterRead();
        }
        reading = false;
    });
    for (int i = 0; reading; ++i) {
        rig.control->SetTargetPower(100 + i % 300);
        rig.control->SetTargetCadence(80 + i % 20);
        rig.control->SetTargetHeartRate(140);
        rig.control->SetControlBy(i % 3 == 0 ? TBrakeControlBy::Cadence : TBrakeControlBy::Power);
        rig.control->SetBrakeEnabled(i % 2 == 0);
        if (i % 7 == 0) {
            rig.control->ResetRegulation();
        }
        rig.control->BrakeOptions();
    }
    reader.join();
    rig.control->SetActive(false);
    EXPECT_EQ(rig.device.sent.back().Offset, TBreakControl::kReleasedOffset);
    EXPECT_EQ(rig.device.sent.back().Steigung, 0);
}

} // namespace
} // namespace klt

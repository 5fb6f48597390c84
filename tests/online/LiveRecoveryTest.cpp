// A ride kept while it records survives the program: it is replaced as it grows, stored by the
// next run and gone once stored; a kept ride that does not read is left where it is.
#include <gtest/gtest.h>

#include <filesystem>

#include "online/LiveRecovery.h"
#include "online/LiveTraining.h"
#include "tests/support/RawTraining.h"

namespace klt {
namespace {

TTrainingData Ride(int samples) {
    TKLTOnlineDatas live;
    for (int i = 0; i < samples; ++i) {
        TKLTOnlineData sample;
        sample.SetValue(dcPower, 100 + i);
        live.PutSample(i, sample);
    }
    TLiveTrainingInfo info;
    info.date = 53000;
    info.initials = "JD";
    return LiveTraining(live, info);
}

TEST(LiveRecovery, TheRideSoFarIsReplacedAsItGrowsAndGoesOnceStored) {
    test::TTempDir db;
    TLiveRecovery recovery(db.Path(), std::chrono::hours(1));
    recovery.Keep(Ride(4));
    recovery.Keep(Ride(6)); // too soon: the first copy stays
    TTrainingData kept;
    kept.ReadTraining(recovery.Path());
    EXPECT_EQ(kept.SampleCount(), 4);
    recovery.Keep(Ride(8), true);
    kept.ReadTraining(recovery.Path());
    EXPECT_EQ(kept.SampleCount(), 8);
    EXPECT_TRUE(recovery.Failure().empty());
    recovery.Discard();
    EXPECT_FALSE(std::filesystem::exists(recovery.Path()));
    EXPECT_EQ(StoreLeftBehindRide(db.Path()), std::nullopt);
}

TEST(LiveRecovery, ARideLeftBehindIsStoredInTheDatabaseByTheNextRun) {
    test::TTempDir db;
    TLiveRecovery(db.Path()).Keep(Ride(5), true);
    const std::optional<std::string> stored = StoreLeftBehindRide(db.Path());
    ASSERT_TRUE(stored.has_value());
    EXPECT_NE(stored->find("_JD.KLT"), std::string::npos) << *stored;
    TTrainingData ride;
    ride.ReadTraining(*stored);
    EXPECT_EQ(ride.SampleCount(), 5);
    EXPECT_EQ(ride.Sample(4).Value(dcPower), 104);
    EXPECT_FALSE(std::filesystem::exists(TLiveRecovery(db.Path()).Path()));
}

TEST(LiveRecovery, AKeptRideThatDoesNotReadStaysWhereItIs) {
    test::TTempDir db;
    const std::string path = TLiveRecovery(db.Path()).Path();
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    test::WriteFileBytes(path, "not a training");
    EXPECT_ANY_THROW(StoreLeftBehindRide(db.Path()));
    EXPECT_TRUE(std::filesystem::exists(path));
}

TEST(LiveRecovery, AFailedWriteIsToldAndNeverStopsTheRun) {
    test::TTempDir db;
    test::WriteFileBytes(db.File("LiveRecovery"), "a file where the folder should be");
    TLiveRecovery recovery(db.Path());
    recovery.Keep(Ride(3), true);
    EXPECT_FALSE(recovery.Failure().empty());
}

} // namespace
} // namespace klt

#pragma once
// The option sets a user profile stores, in the order the profile file lists them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/ChartOptionSet.h"
#include "analysis/RatioDataChartOptionSet.h"
#include "analysis/StatisticChartOptionSet.h"
#include "core/KLTTrBer.h"

namespace klt {

struct TUserOptionSet {
    // The athletes (database initials) the training history charts.
    std::vector<std::string> UsedSystems;

    bool operator==(const TUserOptionSet&) const = default;
};

struct TSystemOptionSet {
    static constexpr int32_t kNoVeltrak = -1;

    int32_t VeltrakVersion = kNoVeltrak; // head-unit generation last used
    int32_t ProtectionLevel = 0;         // flag word of the head-unit setup dialogs

    bool operator==(const TSystemOptionSet&) const = default;
};

struct TChartTitleOptionSet {
    std::string ChartTitle;

    bool operator==(const TChartTitleOptionSet&) const = default;
};

// The FTP server of the synchronisation. User name and password are not part of the profile file;
// they live in the credentials file beside it.
struct TUploadDataOptionSet {
    static constexpr std::size_t kMaxTextLength = 70; // characters, for each of the three texts

    std::string Servername;
    std::string Username;
    std::string Password;
    bool Adminmode = false;       // offers profiles for upload
    bool AutomaticUpload = false; // uploads new trainings after each download

    bool operator==(const TUploadDataOptionSet&) const = default;
};

struct TProfileOptionSets {
    explicit TProfileOptionSets(int32_t today = TodayDays()) : AnalyseOptionSet(today) {}

    TUserOptionSet UserOptionSet;
    TSystemOptionSet System;
    TChartTitleOptionSet SingleChart;
    TChartTitleOptionSet MultiChart;
    TAnalyseOptionSet AnalyseOptionSet;
    TChartOptionSet ChartOptionSet;
    TStatisticChartOptionSet StatisticChartOptionSet;
    TKLTRatioDataChartOptionSet RatioDataChartOptionSet;
    TUploadDataOptionSet UploadDataOptionSet;

    bool Equals(const TProfileOptionSets& other) const {
        return UserOptionSet == other.UserOptionSet && System == other.System &&
               SingleChart == other.SingleChart && MultiChart == other.MultiChart &&
               AnalyseOptionSet.Equals(other.AnalyseOptionSet) && ChartOptionSet == other.ChartOptionSet &&
               StatisticChartOptionSet.Equals(other.StatisticChartOptionSet) &&
               RatioDataChartOptionSet.Equals(other.RatioDataChartOptionSet) &&
               UploadDataOptionSet == other.UploadDataOptionSet;
    }
};

} // namespace klt

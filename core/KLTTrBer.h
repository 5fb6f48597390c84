#pragma once
// Training zones: named bands of power, heart rate, speed and cadence that charts colour and value
// windows summarise. Zones change over a season, so the profile keeps sets of them, each valid until
// a date. The same option set holds the eight mean-max panels. Colours are 0x00BBGGRR.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/KLTDate.h"

namespace klt {

// Today in local time, as days since 1 January 1880.
int32_t TodayDays();

struct TTrainingZone {
    static constexpr std::size_t kMaxNameLength = 70;   // characters
    static constexpr uint32_t kDefaultColor = 0xFF0000; // blue

    // Bounds in raw units (power 1/8 W, heart rate 1/64 bpm, speed mm/s, cadence 1/32 rpm);
    // 0 = not used.
    std::string Name;
    int32_t PowerBegin = 0;
    int32_t PowerEnd = 0;
    int32_t HeartrateBegin = 0;
    int32_t HeartrateEnd = 0;
    int32_t SpeedBegin = 0;
    int32_t SpeedEnd = 0;
    int32_t CadenceBegin = 0;
    int32_t CadenceEnd = 0;
    uint32_t Color = kDefaultColor;

    bool operator==(const TTrainingZone&) const = default;
};

class TTrainingZoneSet {
public:
    // A new set is enabled, valid until `date` (days since 1880; a year from today unless given)
    // and holds one cleared zone.
    explicit TTrainingZoneSet(int32_t date = TodayDays() + 365);
    // The five power zones a new profile starts with, valid for a year from today.
    static TTrainingZoneSet Default(int32_t today = TodayDays());

    bool Enabled = true;
    int32_t Date; // the set applies to trainings up to this day (days since 1880)

    int ZoneCount() const { return static_cast<int>(zones_.size()); }
    // nullptr for an index outside the set.
    const TTrainingZone* Zone(int index) const;
    const std::vector<TTrainingZone>& Zones() const { return zones_; }
    // An index past the end appends the zone; a negative index is an ERangeError.
    void SetZone(int index, const TTrainingZone& zone);
    // Later zones move up; an index outside the set changes nothing.
    void DeleteZone(int index);
    void ClearZones() { zones_.clear(); }

    // Same flag, date and zones. Sets of different length differ.
    bool operator==(const TTrainingZoneSet&) const = default;

private:
    std::vector<TTrainingZone> zones_;
};

// One duration for which the best average power is shown.
struct TMaxPanel {
    static constexpr uint32_t kDefaultColor = 0xFF0000; // blue

    bool Enabled = false;
    int32_t Time = 100; // 1/100 s
    uint32_t Color = kDefaultColor;

    bool operator==(const TMaxPanel&) const = default;
};

// The analysis option set of a profile: zone sets ordered by date and the eight mean-max panels.
// There is always at least one zone set.
class TAnalyseOptionSet {
public:
    static constexpr int kMaxPanelCount = 8;

    explicit TAnalyseOptionSet(int32_t today = TodayDays());

    // One default zone set valid for a year from `today`, and the default panels.
    void Defaults(int32_t today = TodayDays());
    // Panel `index` as a new profile has it (index clamped like MaxPanel).
    static TMaxPanel DefaultMaxPanel(int index);

    int ZoneSetCount() const { return static_cast<int>(zoneSets_.size()); }
    // nullptr for an index outside the list.
    const TTrainingZoneSet* ZoneSet(int index) const;
    TTrainingZoneSet* ZoneSet(int index);
    const std::vector<TTrainingZoneSet>& ZoneSets() const { return zoneSets_; }
    // An index past the end appends a copy; a negative index is an ERangeError.
    void SetZoneSet(int index, const TTrainingZoneSet& zoneSet);
    // Starts a new season: the last set ends today and a copy of it continues until its old end
    // date (or for a year, when that date has already passed, so the list stays ordered).
    void AddZoneSet(int32_t today = TodayDays());
    // Later sets move up. The only set and indexes outside the list are left alone.
    void DeleteZoneSet(int index);
    // Orders the sets by date; sets of the same date keep their order.
    void SortZoneSets();
    // Replaces every zone set (an empty list gives the default set).
    void ReplaceZoneSets(std::vector<TTrainingZoneSet> zoneSets, int32_t today = TodayDays());

    // Indexes above 7 give panel 8, negative ones panel 1.
    const TMaxPanel& MaxPanel(int index) const { return maxPanels_[PanelIndex(index)]; }
    TMaxPanel& MaxPanel(int index) { return maxPanels_[PanelIndex(index)]; }

    void Assign(const TAnalyseOptionSet& other) { *this = other; }
    bool Equals(const TAnalyseOptionSet& other) const {
        return zoneSets_ == other.zoneSets_ && maxPanels_ == other.maxPanels_;
    }

private:
    static std::size_t PanelIndex(int index);

    std::vector<TTrainingZoneSet> zoneSets_;
    std::array<TMaxPanel, kMaxPanelCount> maxPanels_;
};

// The zone bounds of one training file: four power bounds and two unused ones, remembered for the
// initials and date they were last asked for.
class TKLTTrainingsBereiche {
public:
    static constexpr std::size_t kBoundCount = 6;
    static constexpr uint16_t kNoBound = 0xFFFF;
    static constexpr std::array<uint16_t, kBoundCount> kDefaultBounds = {880,  1600,     2240,
                                                                         2800, kNoBound, kNoBound};

    const std::array<uint16_t, kBoundCount>& Bounds() const { return bounds_; }
    const std::string& Initials() const { return initials_; }
    uint16_t Date() const { return date_; } // days since 1880; kNoDate = none yet

    // The bounds for a training of these initials and date.
    const std::array<uint16_t, kBoundCount>& BoundsFor(const std::string& initials, uint16_t date);

private:
    std::array<uint16_t, kBoundCount> bounds_ = kDefaultBounds;
    std::string initials_;
    uint16_t date_ = kNoDate;
};

} // namespace klt

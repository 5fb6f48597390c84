#include "core/KLTTrBer.h"

#include <algorithm>
#include <string>
#include <utility>

#include "core/Exceptions.h"
#include "core/Initials.h"
#include "core/KLTDate.h"

namespace klt {
namespace {

constexpr int32_t kDaysOfNewSet = 365;

TTrainingZone PowerZone(const char* name, int32_t begin, int32_t end, uint32_t color) {
    TTrainingZone zone;
    zone.Name = name;
    zone.PowerBegin = begin;
    zone.PowerEnd = end;
    zone.Color = color;
    return zone;
}

// Durations (1/100 s) and colours of the eight panels of a new profile: 5 s to 60 min.
constexpr std::array<TMaxPanel, TAnalyseOptionSet::kMaxPanelCount> kDefaultMaxPanels = {{
    {true, 500, 0x0000FF},    // red
    {true, 2000, 0x00FFFF},   // yellow
    {true, 6000, 0x008000},   // green
    {true, 24000, 0xFF0000},  // blue
    {true, 60000, 0x808080},  // grey
    {true, 120000, 0xFF00FF}, // magenta
    {true, 240000, 0xFFFF00}, // cyan
    {true, 360000, 0x808000}, // teal
}};

} // namespace

int32_t TodayDays() {
    return TDateTimeMark::Now().days;
}

// --- TTrainingZoneSet ---

TTrainingZoneSet::TTrainingZoneSet(int32_t date) : Date(date), zones_(1) {}

TTrainingZoneSet TTrainingZoneSet::Default(int32_t today) {
    TTrainingZoneSet set(today + kDaysOfNewSet);
    set.zones_ = {
        PowerZone("KB", 0, 960, 0xFF0000),      // up to 120 W, blue
        PowerZone("GA1", 960, 1520, 0x008000),  // up to 190 W, green
        PowerZone("GA2", 1520, 2080, 0x005E00), // up to 260 W, dark green
        PowerZone("EB", 2080, 2880, 0x00FFFF),  // up to 360 W, yellow
        PowerZone("SB", 2880, 16000, 0x0000FF), // up to 2000 W, red
    };
    return set;
}

const TTrainingZone* TTrainingZoneSet::Zone(int index) const {
    if (index < 0 || index >= ZoneCount()) {
        return nullptr;
    }
    return &zones_[static_cast<std::size_t>(index)];
}

void TTrainingZoneSet::SetZone(int index, const TTrainingZone& zone) {
    if (index < 0) {
        throw ERangeError("Zone index " + std::to_string(index) + " out of range");
    }
    if (index >= ZoneCount()) {
        zones_.push_back(zone);
    } else {
        zones_[static_cast<std::size_t>(index)] = zone;
    }
}

void TTrainingZoneSet::DeleteZone(int index) {
    if (index >= 0 && index < ZoneCount()) {
        zones_.erase(zones_.begin() + index);
    }
}

// --- TAnalyseOptionSet ---

TAnalyseOptionSet::TAnalyseOptionSet(int32_t today) {
    Defaults(today);
}

void TAnalyseOptionSet::Defaults(int32_t today) {
    zoneSets_.assign(1, TTrainingZoneSet::Default(today));
    maxPanels_ = kDefaultMaxPanels;
}

TMaxPanel TAnalyseOptionSet::DefaultMaxPanel(int index) {
    return kDefaultMaxPanels[PanelIndex(index)];
}

std::size_t TAnalyseOptionSet::PanelIndex(int index) {
    return static_cast<std::size_t>(std::clamp(index, 0, kMaxPanelCount - 1));
}

const TTrainingZoneSet* TAnalyseOptionSet::ZoneSet(int index) const {
    if (index < 0 || index >= ZoneSetCount()) {
        return nullptr;
    }
    return &zoneSets_[static_cast<std::size_t>(index)];
}

TTrainingZoneSet* TAnalyseOptionSet::ZoneSet(int index) {
    return const_cast<TTrainingZoneSet*>(std::as_const(*this).ZoneSet(index));
}

void TAnalyseOptionSet::SetZoneSet(int index, const TTrainingZoneSet& zoneSet) {
    if (index < 0) {
        throw ERangeError("Zone set index " + std::to_string(index) + " out of range");
    }
    if (index >= ZoneSetCount()) {
        zoneSets_.push_back(zoneSet);
    } else {
        zoneSets_[static_cast<std::size_t>(index)] = zoneSet;
    }
}

void TAnalyseOptionSet::AddZoneSet(int32_t today) {
    TTrainingZoneSet next = zoneSets_.back();
    if (next.Date <= today) {
        // The old season has already run out; continuing it until its end would put the new set
        // before the one that now ends today.
        next.Date = today + kDaysOfNewSet;
    }
    zoneSets_.back().Date = today;
    zoneSets_.push_back(std::move(next));
}

void TAnalyseOptionSet::DeleteZoneSet(int index) {
    if (ZoneSetCount() > 1 && index >= 0 && index < ZoneSetCount()) {
        zoneSets_.erase(zoneSets_.begin() + index);
    }
}

void TAnalyseOptionSet::SortZoneSets() {
    std::stable_sort(zoneSets_.begin(), zoneSets_.end(),
                     [](const TTrainingZoneSet& a, const TTrainingZoneSet& b) { return a.Date < b.Date; });
}

void TAnalyseOptionSet::ReplaceZoneSets(std::vector<TTrainingZoneSet> zoneSets, int32_t today) {
    if (zoneSets.empty()) {
        zoneSets.push_back(TTrainingZoneSet::Default(today));
    }
    zoneSets_ = std::move(zoneSets);
}

// --- TKLTTrainingsBereiche ---

const std::array<uint16_t, TKLTTrainingsBereiche::kBoundCount>&
TKLTTrainingsBereiche::BoundsFor(const std::string& initials, uint16_t date) {
    std::string normalized = NormalizeInitials(initials);
    if (normalized != initials_ || date != date_) {
        initials_ = std::move(normalized);
        date_ = date;
        bounds_ = kDefaultBounds;
    }
    return bounds_;
}

} // namespace klt

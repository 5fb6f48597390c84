#include "app/ProfileReader.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <initializer_list>
#include <optional>
#include <vector>

#include "app/ColorNames.h"
#include "core/ProfileText.h"
#include "core/Exceptions.h"
#include "core/Prompt.h"
#include "core/Texts.h"
#include "core/Utf8Chars.h"

namespace klt {
namespace {

// Bounds what a hostile file can make the reader hold.
constexpr std::size_t kMaxZoneSets = 1000;
constexpr std::size_t kMaxZonesPerSet = 1000;
// Enough of an offending line to recognise it in a message box.
constexpr std::size_t kMaxQuotedLineLength = 200;

constexpr std::string_view kCaption = "Attention";

class EProfileFormat : public Exception {
public:
    using Exception::Exception;
};

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return lines;
}

bool Contains(std::string_view line, std::string_view part) {
    return line.find(part) != std::string_view::npos;
}

std::string OpeningTag(std::string_view tag) {
    return "<" + std::string(tag) + ">";
}
std::string ClosingTag(std::string_view tag) {
    return "</" + std::string(tag) + ">";
}

long WholeDisplayValue(const TMesswertSkala& skala, double raw) {
    return std::lround(MesswertArt(skala.Kind()).ToDisplay(raw));
}

// Every zone set must have the zones of the first one, by number and names; the charts compare
// zones across sets by position.
bool FitsZoneSet(const TTrainingZoneSet& zoneSet, const TTrainingZoneSet& reference) {
    return zoneSet.ZoneCount() == reference.ZoneCount() &&
           std::equal(zoneSet.Zones().begin(), zoneSet.Zones().end(), reference.Zones().begin(),
                      [](const TTrainingZone& a, const TTrainingZone& b) { return a.Name == b.Name; });
}

class TProfileReader {
public:
    TProfileReader(std::string_view text, const TProfileOptionSets& defaults, const std::string& fileName)
        : lines_(SplitLines(text)), defaults_(defaults), sets_(defaults), fileName_(fileName) {}

    TProfileOptionSets Read();
    // Whether something of the text did not make it into the sets read.
    bool Lost() const { return lost_; }

private:
    using TVariableHandler = std::function<void(const TProfileVariable&)>;
    struct TElement {
        std::string_view tag;
        std::function<void()> read; // called after the element's opening line
    };

    // Reads up to and including the block's closing line; EProfileFormat for a line that is neither
    // a variable nor one of `elements`, and for a file that ends inside the block.
    void ReadBlock(std::string_view tag, const TVariableHandler& onVariable,
                   std::initializer_list<TElement> elements = {});
    // ReadBlock for a block with settings of its own: a failure is reported, `reset` restores the
    // defaults and the rest of the block is skipped. Returns whether the block was read.
    bool ReadOwnBlock(std::string_view tag, const std::function<void()>& reset,
                      const TVariableHandler& onVariable, std::initializer_list<TElement> elements = {});
    // Skips to the block's closing line, or to the closing line of a block around it (left for
    // that block to read).
    void SkipRestOfBlock(std::string_view tag);
    [[noreturn]] void NotAllowed(std::string_view line) const;
    uint32_t Color(const TProfileVariable& variable) const;
    void Report(std::string_view message);

    void ReadUserOptionSet();
    void ReadSystem();
    void ReadChartTitle(std::string_view tag, TChartTitleOptionSet& chart,
                        const TChartTitleOptionSet& defaults);
    void ReadAnalyse();
    void ReadZoneSet(std::vector<TTrainingZoneSet>& zoneSets);
    void ReadZone(TTrainingZoneSet& zoneSet);
    void ReadMaxPanel(int index);
    void KeepCompatibleZoneSets(std::vector<TTrainingZoneSet>& zoneSets);
    void ReadChart();
    void ReadAxis(std::string_view tag, TChartAxisOption& axis, const TChartAxisOption& defaults,
                  std::string_view minimumName, std::string_view maximumName);
    void ReadStatisticChart();
    // A scale's range in whole display units; `extra` takes variables of its own.
    bool ReadSkala(std::string_view tag, TMesswertSkala& skala, const TMesswertSkala& defaults,
                   const TVariableHandler& extra = {});
    void ReadRatioChart();
    void ReadUpload();

    std::vector<std::string_view> lines_;
    std::size_t next_ = 0;
    std::vector<std::string_view> open_; // tags of the blocks being read, outermost first
    std::string_view variableLine_;      // the variable line being handled
    const TProfileOptionSets& defaults_;
    TProfileOptionSets sets_;
    std::string fileName_;
    bool reported_ = false;
    bool zoneSetsReported_ = false;
    bool lost_ = false; // something of the text did not make it into the sets
};

TProfileOptionSets TProfileReader::Read() {
    if (lines_.empty() || !Contains(lines_[0], kProfileDeclaration)) {
        Report(FormatText("File:%s damaged", {fileName_}));
        return defaults_;
    }
    next_ = 2; // the declaration and <OptionSets>
    open_.push_back("OptionSets");
    const std::vector<std::pair<std::string, std::function<void()>>> sets = {
        {OpeningTag("UserOptionSet"), [this] { ReadUserOptionSet(); }},
        {OpeningTag("System"), [this] { ReadSystem(); }},
        {OpeningTag("SingleChart"),
         [this] { ReadChartTitle("SingleChart", sets_.SingleChart, defaults_.SingleChart); }},
        {OpeningTag("MultiChart"),
         [this] { ReadChartTitle("MultiChart", sets_.MultiChart, defaults_.MultiChart); }},
        {OpeningTag("AnalyseOptionSet"), [this] { ReadAnalyse(); }},
        {OpeningTag("ChartOptionSet"), [this] { ReadChart(); }},
        {OpeningTag("StatisticChartOptionSet"), [this] { ReadStatisticChart(); }},
        {OpeningTag("RatioDataChartOptionSet"), [this] { ReadRatioChart(); }},
        {OpeningTag("UploadDataOptionSet"), [this] { ReadUpload(); }},
    };
    const std::string end = ClosingTag("OptionSets");
    while (next_ < lines_.size()) {
        std::string_view line = lines_[next_++];
        if (Contains(line, end)) {
            break;
        }
        auto set =
            std::find_if(sets.begin(), sets.end(), [&](const auto& s) { return Contains(line, s.first); });
        if (set != sets.end()) {
            set->second();
        }
    }
    return sets_;
}

void TProfileReader::ReadBlock(std::string_view tag, const TVariableHandler& onVariable,
                               std::initializer_list<TElement> elements) {
    open_.push_back(tag);
    struct TClose {
        std::vector<std::string_view>& open;
        ~TClose() { open.pop_back(); }
    } close{open_};
    const std::string closing = ClosingTag(tag);
    for (;;) {
        if (next_ >= lines_.size()) {
            throw EProfileFormat(FormatText("File:%s damaged", {fileName_}));
        }
        std::string_view line = lines_[next_];
        if (Contains(line, closing)) {
            ++next_;
            return;
        }
        if (std::optional<TProfileVariable> variable = ParseProfileVariable(line)) {
            ++next_;
            variableLine_ = line;
            onVariable(*variable);
            continue;
        }
        auto element = std::find_if(elements.begin(), elements.end(),
                                    [&](const TElement& e) { return Contains(line, OpeningTag(e.tag)); });
        if (element == elements.end()) {
            NotAllowed(line);
        }
        ++next_;
        element->read();
    }
}

bool TProfileReader::ReadOwnBlock(std::string_view tag, const std::function<void()>& reset,
                                  const TVariableHandler& onVariable,
                                  std::initializer_list<TElement> elements) {
    try {
        ReadBlock(tag, onVariable, elements);
        return true;
    } catch (const EProfileFormat& e) {
        Report(e.Message());
        reset();
        SkipRestOfBlock(tag);
        return false;
    }
}

void TProfileReader::SkipRestOfBlock(std::string_view tag) {
    const std::string closing = ClosingTag(tag);
    while (next_ < lines_.size()) {
        std::string_view line = lines_[next_];
        if (Contains(line, closing)) {
            ++next_;
            return;
        }
        if (std::any_of(open_.begin(), open_.end(),
                        [&](std::string_view t) { return Contains(line, ClosingTag(t)); })) {
            return;
        }
        ++next_;
    }
}

void TProfileReader::NotAllowed(std::string_view line) const {
    throw EProfileFormat(
        FormatText("Fileformat Error\r\n%s not allowed in %s",
                   {TruncateChars(TrimText(line), kMaxQuotedLineLength), OpeningTag(open_.back())}));
}

uint32_t TProfileReader::Color(const TProfileVariable& variable) const {
    std::optional<uint32_t> color = ColorFromText(variable.value);
    if (!color) {
        NotAllowed(variableLine_);
    }
    return *color;
}

void TProfileReader::Report(std::string_view message) {
    lost_ = true;
    // One damaged file is one message, however many of its blocks fail.
    if (!reported_) {
        reported_ = true;
        Prompt().ShowMessage(std::string(kCaption), std::string(message));
    }
}

void TProfileReader::ReadUserOptionSet() {
    TUserOptionSet& user = sets_.UserOptionSet;
    ReadOwnBlock(
        "UserOptionSet", [&] { user = defaults_.UserOptionSet; },
        [&](const TProfileVariable& v) {
            if (v.name == "UsedSystems") {
                user.UsedSystems = SplitProfileNames(v.value);
            }
        });
}

void TProfileReader::ReadSystem() {
    TSystemOptionSet& system = sets_.System;
    ReadOwnBlock(
        "System", [&] { system = defaults_.System; },
        [&](const TProfileVariable& v) {
            if (v.name == "VeltrakVersion") {
                system.VeltrakVersion = ProfileInteger32(v.value);
            } else if (v.name == "ProtectionLevel") {
                system.ProtectionLevel = ProfileInteger32(v.value);
            }
        });
}

void TProfileReader::ReadChartTitle(std::string_view tag, TChartTitleOptionSet& chart,
                                    const TChartTitleOptionSet& defaults) {
    ReadOwnBlock(
        tag, [&] { chart = defaults; },
        [&](const TProfileVariable& v) {
            if (v.name == "ChartTitle") {
                chart.ChartTitle = v.value;
            }
        });
}

void TProfileReader::ReadAnalyse() {
    TAnalyseOptionSet& analyse = sets_.AnalyseOptionSet;
    std::vector<TTrainingZoneSet> zoneSets;
    int panel = 0;
    const bool read = ReadOwnBlock(
        "AnalyseOptionSet", [&] { analyse = defaults_.AnalyseOptionSet; }, [](const TProfileVariable&) {},
        {{"TrainingZoneSet", [&] { ReadZoneSet(zoneSets); }}, {"MaxPanel", [&] { ReadMaxPanel(panel++); }}});
    if (!read) {
        return;
    }
    KeepCompatibleZoneSets(zoneSets);
    if (zoneSets.empty()) {
        zoneSets = defaults_.AnalyseOptionSet.ZoneSets();
    }
    analyse.ReplaceZoneSets(std::move(zoneSets));
    analyse.SortZoneSets();
}

void TProfileReader::ReadZoneSet(std::vector<TTrainingZoneSet>& zoneSets) {
    TTrainingZoneSet zoneSet(defaults_.AnalyseOptionSet.ZoneSets().front().Date);
    zoneSet.ClearZones();
    // A zone set that cannot be read is left out.
    const bool read = ReadOwnBlock(
        "TrainingZoneSet", [] {},
        [&](const TProfileVariable& v) {
            if (v.name == "Date") {
                zoneSet.Date = ProfileDate(v.value);
            }
        },
        {{"TrainingZone", [&] { ReadZone(zoneSet); }}});
    if (read && zoneSets.size() < kMaxZoneSets) {
        zoneSets.push_back(std::move(zoneSet));
    } else if (read) {
        lost_ = true;
    }
}

void TProfileReader::ReadZone(TTrainingZoneSet& zoneSet) {
    TTrainingZone zone;
    const std::pair<std::string_view, int32_t TTrainingZone::*> bounds[] = {
        {"PowerBegin", &TTrainingZone::PowerBegin},         {"PowerEnd", &TTrainingZone::PowerEnd},
        {"HeartrateBegin", &TTrainingZone::HeartrateBegin}, {"HeartrateEnd", &TTrainingZone::HeartrateEnd},
        {"SpeedBegin", &TTrainingZone::SpeedBegin},         {"SpeedEnd", &TTrainingZone::SpeedEnd},
        {"CadenceBegin", &TTrainingZone::CadenceBegin},     {"CadenceEnd", &TTrainingZone::CadenceEnd},
    };
    // A damaged zone fails its whole set.
    ReadBlock("TrainingZone", [&](const TProfileVariable& v) {
        if (v.name == "Name") {
            zone.Name = TruncateChars(v.value, TTrainingZone::kMaxNameLength);
        } else if (v.name == "Color") {
            zone.Color = Color(v);
        }
        for (const auto& [name, bound] : bounds) {
            if (v.name == name) {
                zone.*bound = ProfileInteger32(v.value);
            }
        }
    });
    if (zoneSet.ZoneCount() < static_cast<int>(kMaxZonesPerSet)) {
        zoneSet.SetZone(zoneSet.ZoneCount(), zone);
    } else {
        lost_ = true;
    }
}

void TProfileReader::ReadMaxPanel(int index) {
    // Blocks beyond the eighth are read and forgotten.
    TMaxPanel surplus;
    TMaxPanel& panel =
        index < TAnalyseOptionSet::kMaxPanelCount ? sets_.AnalyseOptionSet.MaxPanel(index) : surplus;
    ReadOwnBlock(
        "MaxPanel", [&] { panel = TAnalyseOptionSet::DefaultMaxPanel(index); },
        [&](const TProfileVariable& v) {
            if (v.name == "Enabled") {
                panel.Enabled = ProfileBoolean(v.value);
            } else if (v.name == "Time") {
                panel.Time = ProfileInteger32(v.value);
            } else if (v.name == "Color") {
                panel.Color = Color(v);
            }
        });
}

void TProfileReader::KeepCompatibleZoneSets(std::vector<TTrainingZoneSet>& zoneSets) {
    const std::size_t before = zoneSets.size();
    auto reference = std::find_if(zoneSets.begin(), zoneSets.end(),
                                  [](const TTrainingZoneSet& s) { return s.ZoneCount() > 0; });
    if (reference == zoneSets.end()) {
        zoneSets.clear();
    } else {
        const TTrainingZoneSet referenceSet = *reference;
        std::erase_if(zoneSets, [&](const TTrainingZoneSet& s) { return !FitsZoneSet(s, referenceSet); });
    }
    lost_ = lost_ || zoneSets.size() != before;
    if (zoneSets.size() != before && !zoneSetsReported_) {
        zoneSetsReported_ = true;
        Prompt().ShowMessage(
            std::string(kCaption),
            "The Software could not load all TrainingZoneSets\r\nDue to changes in the software your "
            "existing "
            "TrainingZoneSet is not compatible with current software version\r\n"
            "Since Version 6.33.00 each TrainingZoneSet must have the same length and each Trainingzone must "
            "have the same name\r\nPlease change your Sets with an older version");
    }
}

void TProfileReader::ReadChart() {
    TChartOptionSet& chart = sets_.ChartOptionSet;
    const TChartOptionSet& defaults = defaults_.ChartOptionSet;
    TChartValueWindowOption& window = chart.ValueWindow;
    auto readFlag = [this](std::string_view tag, std::string_view name, bool& flag, bool defaultFlag) {
        ReadOwnBlock(
            tag, [&] { flag = defaultFlag; },
            [&](const TProfileVariable& v) {
                if (v.name == name) {
                    flag = ProfileBoolean(v.value);
                }
            });
    };
    ReadOwnBlock(
        "ChartOptionSet", [&] { chart = defaults; }, [](const TProfileVariable&) {},
        {{"LeftAxis",
          [&] { ReadAxis("LeftAxis", chart.LeftAxis, defaults.LeftAxis, "AxisMinimum", "AxisMaximum"); }},
         {"RightAxis",
          [&] { ReadAxis("RightAxis", chart.RightAxis, defaults.RightAxis, "AxisMinimum", "AxisMaximum"); }},
         {"Marks", [&] { readFlag("Marks", "Value", chart.Marks, defaults.Marks); }},
         {"BackgroundBar",
          [&] { readFlag("BackgroundBar", "Enabled", chart.BackgroundBar, defaults.BackgroundBar); }},
         {"ValueWindow", [&] {
              ReadOwnBlock(
                  "ValueWindow", [&] { window = defaults.ValueWindow; },
                  [&](const TProfileVariable& v) {
                      if (v.name == "Enabled") {
                          window.Enabled = ProfileBoolean(v.value);
                      } else if (v.name == "TotalValues") {
                          window.TotalValues = ProfileBoolean(v.value);
                      } else if (v.name == "AverageValues") {
                          window.AverageValues = ProfileBoolean(v.value);
                      } else if (v.name == "TrainingZoneValues") {
                          window.TrainingZoneValues = ProfileBoolean(v.value);
                      }
                  });
          }}});
}

void TProfileReader::ReadAxis(std::string_view tag, TChartAxisOption& axis, const TChartAxisOption& defaults,
                              std::string_view minimumName, std::string_view maximumName) {
    ReadOwnBlock(
        tag, [&] { axis = defaults; },
        [&](const TProfileVariable& v) {
            if (v.name == "Enabled") {
                axis.Enabled = ProfileBoolean(v.value);
            } else if (v.name == minimumName) {
                axis.Minimum = ProfileInteger(v.value, INT64_MIN, INT64_MAX);
            } else if (v.name == maximumName) {
                axis.Maximum = ProfileInteger(v.value, INT64_MIN, INT64_MAX);
            }
        });
}

void TProfileReader::ReadStatisticChart() {
    TStatisticChartOptionSet& statistic = sets_.StatisticChartOptionSet;
    const TStatisticChartOptionSet& defaults = defaults_.StatisticChartOptionSet;
    ReadOwnBlock(
        "StatisticChartOptionSet", [&] { statistic.Assign(defaults); },
        [&](const TProfileVariable& v) {
            if (v.name == "Smooting") {
                statistic.Smooting = ProfileInteger32(v.value);
            }
        },
        {{"LeftAxis",
          [&] { ReadAxis("LeftAxis", statistic.LeftAxis, defaults.LeftAxis, "Minimum", "Maximum"); }},
         {"RightAxis",
          [&] { ReadAxis("RightAxis", statistic.RightAxis, defaults.RightAxis, "Minimum", "Maximum"); }},
         {"PowerSkala", [&] { ReadSkala("PowerSkala", statistic.PowerSkala, defaults.PowerSkala); }},
         {"HeartRateSkala",
          [&] { ReadSkala("HeartRateSkala", statistic.HeartRateSkala, defaults.HeartRateSkala); }},
         {"SpeedSkala", [&] { ReadSkala("SpeedSkala", statistic.SpeedSkala, defaults.SpeedSkala); }},
         {"CadenceSkala",
          [&] { ReadSkala("CadenceSkala", statistic.CadenceSkala, defaults.CadenceSkala); }}});
}

bool TProfileReader::ReadSkala(std::string_view tag, TMesswertSkala& skala, const TMesswertSkala& defaults,
                               const TVariableHandler& extra) {
    bool visible = skala.Visible();
    auto minimum = static_cast<int32_t>(WholeDisplayValue(skala, skala.Offset()));
    auto maximum = static_cast<int32_t>(WholeDisplayValue(skala, skala.UpperEnd()));
    const bool read = ReadOwnBlock(
        tag, [] {},
        [&](const TProfileVariable& v) {
            if (v.name == "Enabled") {
                visible = ProfileBoolean(v.value);
            } else if (v.name == "Minimum") {
                minimum = ProfileInteger32(v.value);
            } else if (v.name == "Maximum") {
                maximum = ProfileInteger32(v.value);
            } else if (extra) {
                extra(v);
            }
        });
    if (read) {
        skala.SetDisplayRange(visible, maximum, minimum);
    } else {
        skala.Assign(defaults);
    }
    return read;
}

void TProfileReader::ReadRatioChart() {
    TKLTRatioDataChartOptionSet& ratio = sets_.RatioDataChartOptionSet;
    const TKLTRatioDataChartOptionSet& defaults = defaults_.RatioDataChartOptionSet;
    auto readSkala = [this](std::string_view tag, TRatioSkalaOption& option,
                            const TRatioSkalaOption& defaultOption) {
        const bool read = ReadSkala(tag, option.Skala, defaultOption.Skala, [&](const TProfileVariable& v) {
            if (v.name == "MergeFct") {
                // A class narrower than one unit would make no classes at all.
                option.MergeFct = std::max(ProfileInteger32(v.value), 1);
            }
        });
        if (!read) {
            option.MergeFct = defaultOption.MergeFct;
        }
    };
    ReadOwnBlock(
        "RatioDataChartOptionSet", [&] { ratio.Assign(defaults); },
        [&](const TProfileVariable& v) {
            if (v.name == "SmootingFct") {
                ratio.SmootingFct = ProfileInteger32(v.value);
            } else if (v.name == "DrawGrid") {
                ratio.DrawGrid = ProfileBoolean(v.value);
            }
        },
        {{"PowerSkala", [&] { readSkala("PowerSkala", ratio.PowerSkala, defaults.PowerSkala); }},
         {"HeartRateSkala",
          [&] { readSkala("HeartRateSkala", ratio.HeartRateSkala, defaults.HeartRateSkala); }},
         {"SpeedSkala", [&] { readSkala("SpeedSkala", ratio.SpeedSkala, defaults.SpeedSkala); }},
         {"CadenceSkala", [&] { readSkala("CadenceSkala", ratio.CadenceSkala, defaults.CadenceSkala); }}});
}

void TProfileReader::ReadUpload() {
    TUploadDataOptionSet& upload = sets_.UploadDataOptionSet;
    ReadOwnBlock(
        "UploadDataOptionSet", [&] { upload = defaults_.UploadDataOptionSet; },
        [&](const TProfileVariable& v) {
            if (v.name == "Servername") {
                upload.Servername = TruncateChars(v.value, TUploadDataOptionSet::kMaxTextLength);
            } else if (v.name == "Adminmode") {
                upload.Adminmode = ProfileBoolean(v.value);
            } else if (v.name == "AutomaticUpload") {
                upload.AutomaticUpload = ProfileBoolean(v.value);
            }
        });
}

} // namespace

TProfileOptionSets ReadProfileText(std::string_view text, const TProfileOptionSets& defaults,
                                   const std::string& fileName, bool* incomplete) {
    TProfileReader reader(text, defaults, fileName);
    TProfileOptionSets sets = reader.Read();
    if (incomplete != nullptr) {
        *incomplete = reader.Lost();
    }
    return sets;
}

} // namespace klt

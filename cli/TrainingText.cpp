#include "cli/TrainingText.h"

#include <array>
#include <cstdio>

#include "core/NumberFormat.h"
#include "core/PRMesWrt.h"

namespace klt::cli {
namespace {

// The recorded channels in the order every listing shows them.
constexpr std::array<TMesswertArtType, 6> kChannels = {mwaLeistung,     mwaTretfrequenz, mwaHerzfrequenz,
                                                       mwaGeschwindigkeit, mwaHoehe,     mwaTemperatur};

int ChannelValue(const TSampleElement& s, TMesswertArtType kind) {
    switch (kind) {
    case mwaLeistung:
        return s.Power();
    case mwaTretfrequenz:
        return s.Cadence();
    case mwaHerzfrequenz:
        return s.HeartRate();
    case mwaGeschwindigkeit:
        return s.Speed();
    case mwaHoehe:
        return s.Altitude();
    default:
        return s.Temperature();
    }
}

std::string Value(TMesswertArtType kind, double raw, int decimals = -1) {
    return MesswertArt(kind).FormatValue(raw, decimals, true);
}

std::string WithUnit(TMesswertArtType kind, double raw, int decimals = -1) {
    return Value(kind, raw, decimals) + " " + MesswertArt(kind).UnitShortName();
}

std::string Duration(int64_t hundredths) {
    const int64_t s = hundredths / 100;
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(s / 3600),
                  static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
    return text;
}

std::string Padded(const std::string& text, size_t width, bool right) {
    // Width counts characters, not the bytes of their UTF-8 form.
    size_t characters = 0;
    for (char c : text) {
        characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }
    const std::string fill(width > characters ? width - characters : 0, ' ');
    return right ? fill + text : text + fill;
}

std::string Line(const std::string& label, const std::string& value) { return Padded(label, 15, false) + value + "\n"; }

std::string TimeOfDay(const TKLTFile& file, int64_t time) {
    return FormatTimeOfDay(time, file.TimeFormat() == TZeitFormat::ZeitFormatHHMMSSTT);
}

std::string MarkerTable(const TKLTFile& file) {
    const std::vector<std::pair<std::string, size_t>> columns = {
        {"#", 3},        {"Name", 16},      {"From", 8},       {"To", 8},        {"Start", 9},
        {"Duration", 9}, {"Ø POW", 11},     {"Ø HRT", 9},      {"Ø CAD", 9},     {"Ø SPD", 11},
        {"Work", 9},     {"Distance", 10},  {"Climb", 7}};
    std::string out;
    for (size_t c = 0; c < columns.size(); ++c) {
        out += Padded(columns[c].first, columns[c].second, c != 1) + " ";
    }
    out += "\n";
    for (int i = 0; i < file.MarkerCount(); ++i) {
        const TKLTMarker& m = file.Marker(i);
        const std::vector<std::string> cells = {
            std::to_string(i),
            m.name,
            std::to_string(m.first),
            std::to_string(m.last),
            TimeOfDay(file, m.startTime),
            Duration(m.Duration()),
            WithUnit(mwaLeistung, static_cast<double>(m.AvgPower())),
            WithUnit(mwaHerzfrequenz, static_cast<double>(m.AvgHeartRate())),
            WithUnit(mwaTretfrequenz, static_cast<double>(m.AvgCadence())),
            WithUnit(mwaGeschwindigkeit, static_cast<double>(m.AvgSpeed())),
            WithUnit(mwaArbeit, static_cast<double>(m.Work())),
            WithUnit(mwaStrecke, static_cast<double>(m.Distance()), 2),
            WithUnit(mwaHoehe, static_cast<double>(m.climb)),
        };
        for (size_t c = 0; c < columns.size(); ++c) {
            out += Padded(cells[c], columns[c].second, c != 1) + " ";
        }
        out += "\n";
    }
    return out;
}

} // namespace

std::string TrainingSummary(const TKLTFile& file) {
    const TKLTHeader& h = file.Header();
    std::string out;
    out += Line("File", file.FileName());
    out += Line("Format", std::string(h.magic.data(), 4) + (file.Modified() ? " (modified: saving brings it to KLT7)" : ""));
    out += Line("Date", h.date == kNoDate ? "none" : FormatIsoDate(h.date));
    if (file.MarkerCount() > 0) {
        out += Line("Athlete", file.Marker(0).name);
    }
    out += Line("Comment", file.Comment());
    out += Line("Interval", FormatFloatFixed(file.Interval() / 100.0, file.Interval() % 100 == 0 ? 0 : 2, false,
                                             FormatSettings()) + " s");
    out += Line("Circumference", WithUnit(mwaRadumfang, h.circumference));
    out += Line("Zero offset", WithUnit(mwaNullstelle, h.zeroOffset));
    out += Line("Slope", WithUnit(mwaSteigung, h.slope));
    out += Line("Samples", std::to_string(file.SampleCount()) + " in " + std::to_string(file.Blocks().size()) +
                               (file.Blocks().size() == 1 ? " block" : " blocks"));
    for (size_t b = 0; b < file.Blocks().size(); ++b) {
        const TKLTBlock& block = file.Blocks()[b];
        out += Line("Block " + std::to_string(b + 1),
                    TimeOfDay(file, block.start) + "  " + std::to_string(block.count) + " samples");
    }
    const TExtraHeader& extra = file.ExtraHeader();
    out += Line("Battery", std::to_string(extra.batInfo.battery) + " / " + std::to_string(extra.batInfo.battery2));
    out += Line("Sensor", std::to_string(extra.sensorInfo.words[0]) + " " + std::to_string(extra.sensorInfo.words[1]) +
                              " " + std::to_string(extra.sensorInfo.words[2]) + " " +
                              std::to_string(extra.sensorInfo.words[3]));
    out += "\nMarkers\n" + MarkerTable(file);
    return out;
}

std::string SamplesTable(const TKLTFile& file) {
    std::string out = Padded("Index", 6, true) + " " + Padded("Time", 11, true);
    for (TMesswertArtType kind : kChannels) {
        out += " " + Padded(MesswertArt(kind).DisplayShortName() + " [" + MesswertArt(kind).UnitShortName() + "]", 12, true);
    }
    out += "\n";
    for (int i = 1; i <= file.SampleCount(); ++i) {
        const TSampleElement& s = file.Sample(i);
        out += Padded(std::to_string(i), 6, true) + " " + Padded(TimeOfDay(file, file.SampleTime(i)), 11, true);
        for (TMesswertArtType kind : kChannels) {
            out += " " + Padded(Value(kind, ChannelValue(s, kind)), 12, true);
        }
        out += "\n";
    }
    return out;
}

std::string SamplesCsv(const TKLTFile& file) {
    const TFormatSettingsScope plainNumbers({".", ","});
    std::string out = "index,time";
    for (TMesswertArtType kind : kChannels) {
        const TMesswertArt& art = MesswertArt(kind);
        out += "," + TMesswertArt::NameWithUnit(art.Name(), art.UnitShortName());
    }
    out += "\n";
    for (int i = 1; i <= file.SampleCount(); ++i) {
        const TSampleElement& s = file.Sample(i);
        out += std::to_string(i) + "," + TimeOfDay(file, file.SampleTime(i));
        for (TMesswertArtType kind : kChannels) {
            out += "," + MesswertArt(kind).FormatValue(ChannelValue(s, kind), -1, false);
        }
        out += "\n";
    }
    return out;
}

} // namespace klt::cli

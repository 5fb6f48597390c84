#include "cli/AnalysisReport.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "analysis/Analyse.h"
#include "analysis/RatioChart.h"
#include "cli/TerminalText.h"
#include "cli/TextTable.h"
#include "core/NumberFormat.h"
#include "core/PRMesWrt.h"

namespace klt::cli {
namespace {

constexpr std::array<const char*, kRatioChannels> kChannelKeys = {"power", "heart_rate", "cadence", "speed"};
// Rounded to `decimals`; null for what is no number, so that the output always parses.
TJson Rounded(double value, int decimals) {
    if (!std::isfinite(value)) {
        return nullptr;
    }
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

TJson RoundedOrNull(const std::optional<double>& value, int decimals) {
    return value ? Rounded(*value, decimals) : TJson(nullptr);
}

double Watts(double raw) {
    return raw / 8;
}
double Bpm(double raw) {
    return raw / 64;
}

TJson RatioJson(const TRatioReport& ratio) {
    TJson classes = TJson::array();
    for (const TRatioClass& c : ratio.classes) {
        TJson averages = TJson::object();
        for (int other = 0; other < kRatioChannels; ++other) {
            if (other != ratio.channel) {
                const std::optional<int>& mean = c.means[static_cast<size_t>(other)];
                averages[kChannelKeys[static_cast<size_t>(other)]] = mean ? TJson(*mean) : TJson(nullptr);
            }
        }
        classes.push_back({{"from", c.from},
                           {"to", c.to},
                           {"seconds", c.seconds},
                           {"percent", Rounded(c.percent, 1)},
                           {"averages", averages}});
    }
    const auto channel = static_cast<size_t>(ratio.channel);
    return {{"channel", kChannelKeys[channel]},
            {"unit", MesswertArt(RatioKind(ratio.channel)).UnitShortName()},
            {"classes", classes}};
}

TJson RegressionJson(const THeartRateAnalysis& analysis) {
    const THeartRateFit& fit = analysis.fit;
    if (!fit.HasLine()) {
        return nullptr;
    }
    const double slope = fit.slope * 8 / 64; // bpm per W
    return {{"slope", Rounded(slope, 3)},
            {"intercept", Rounded(Bpm(fit.intercept), 1)},
            {"r", Rounded(std::copysign(std::sqrt(fit.rSquared), slope), 3)},
            {"delay_s", Rounded(fit.delay / 100.0, 1)},
            {"n", fit.count},
            {"r_squared", Rounded(fit.rSquared, 3)},
            {"averaging_s", Rounded(double(fit.averagingSamples) * analysis.interval / 100.0, 1)}};
}

TJson ConconiJson(const TConconiResult& conconi) {
    TJson deflection = nullptr;
    if (conconi.deflection) {
        deflection = {{"power", Rounded(Watts(conconi.deflection->power), 1)},
                      {"heart_rate", Rounded(Bpm(conconi.deflection->heartRate), 1)}};
    }
    TJson pwc = TJson::object();
    for (size_t i = 0; i < ConconiPwcHeartRates.size(); ++i) {
        const std::optional<double> power = conconi.pwc[i] ? std::optional(Watts(*conconi.pwc[i])) : std::nullopt;
        pwc[std::to_string(ConconiPwcHeartRates[i])] = RoundedOrNull(power, 1);
    }
    return {{"deflection", deflection}, {"pwc", pwc}, {"steps", conconi.steps.size()}};
}

std::string Line(const std::string& label, const std::string& value) {
    return PaddedText(label, 17, false) + value + "\n";
}

std::string PowerText(const std::optional<double>& raw) {
    return raw ? ValueWithUnit(mwaLeistung, *raw) : std::string("-");
}

// The means of the other channels in a class: " (Heartrate 115, Cadence 82)".
std::string MeansText(const TRatioClass& c) {
    std::string text;
    for (int other = 0; other < kRatioChannels; ++other) {
        if (const std::optional<int>& mean = c.means[static_cast<size_t>(other)]) {
            text += (text.empty() ? " (" : ", ") + std::string(RatioChannelName(static_cast<TRatioChannel>(other))) +
                    " " + std::to_string(*mean);
        }
    }
    return text.empty() ? text : text + ")";
}

std::string RatioText(const TRatioReport& ratio) {
    const std::string unit = MesswertArt(RatioKind(ratio.channel)).UnitShortName();
    std::string text = Line("Ratio " + MesswertArt(RatioKind(ratio.channel)).Name(), ratio.classes.empty() ? "-" : unit);
    for (const TRatioClass& c : ratio.classes) {
        text += Line("", std::to_string(c.from) + "-" + std::to_string(c.to) + ": " + FormatDuration(c.seconds * 100LL) +
                             " " + FormatFloatFixed(c.percent, 1, false, FormatSettings()) + "%" + MeansText(c));
    }
    return text;
}

} // namespace

TAnalysisReport AnalyseMarker(TKLTFile& file, const std::string& path, int marker, bool conconi) {
    TAnalysisReport report;
    report.path = path;
    report.marker = marker;
    const TKLTMarker& m = file.Marker(marker);
    const TKLTRatioDataChartOptionSet ratioOptions;
    TRatioSamples samples; // read once for the four keys
    samples.Read(file, m.first, m.last, std::clamp(MesswertArt(mwaGeschwindigkeit).UnitIndex(), 0, 2));
    for (int key = 0; key < kRatioChannels; ++key) {
        const auto channel = static_cast<TRatioChannel>(key);
        TRatioData data(channel);
        data.Fill(samples, ratioOptions.SmootingFct);
        report.ratio.push_back({channel, data.Classes(RatioScale(ratioOptions, channel))});
    }
    const TKLTAnalyseData ordinary;
    const TConconiAnalyseData stepTest;
    const TKLTAnalyseData& options = conconi ? stepTest : ordinary;
    report.heartRate = AnalyseHeartRate(file, marker, options.FitParameters()).value_or(THeartRateAnalysis{});
    if (!report.heartRate.HasLine()) {
        report.notes.push_back(NoLineNote(report.heartRate));
    }
    if (conconi) {
        report.conconi = AnalyseConconi(report.heartRate.pairs, report.heartRate.fit.averagingSamples,
                                        report.heartRate.fit);
        if (!report.conconi->note.empty()) {
            report.notes.push_back(report.conconi->note);
        }
    }
    return report;
}

TJson AnalysisJson(const TAnalysisReport& report) {
    TJson ratio = TJson::array();
    for (const TRatioReport& r : report.ratio) {
        ratio.push_back(RatioJson(r));
    }
    TJson json = {{"file", report.path},
                  {"marker", report.marker},
                  {"ratio", ratio},
                  {"regression", RegressionJson(report.heartRate)}};
    if (report.conconi) {
        json["conconi"] = ConconiJson(*report.conconi);
    }
    json["notes"] = report.notes;
    return json;
}

std::string AnalysisText(const TAnalysisReport& report) {
    std::string text = Line("File", Printable(report.path)) + Line("Marker", std::to_string(report.marker));
    const THeartRateFit& fit = report.heartRate.fit;
    if (fit.HasLine()) {
        text += Line("Slope", ValueWithUnit(mwaSteigungHerzfrequenzProLeistung, fit.slope, 3));
        text += Line("Intercept", ValueWithUnit(mwaNullstelleHerzfrequenzProLeistung, fit.intercept, 1));
        text += Line("R²", FormatFloatFixed(fit.rSquared, 3, false, FormatSettings()));
        text += Line("Delay", FormatDuration(fit.delay));
        text += Line("Averaging", FormatDuration(int64_t{fit.averagingSamples} * report.heartRate.interval));
        text += Line("Pairs", std::to_string(fit.count));
        text += Line("PWC150", PowerText(PowerAtHeartRate(fit, 150 * 64.0)));
    }
    if (report.conconi) {
        const TConconiResult& c = *report.conconi;
        text += Line("Steps", std::to_string(c.steps.size()));
        text += Line("Deflection", c.deflection ? ValueWithUnit(mwaLeistung, c.deflection->power) + " at " +
                                                      ValueWithUnit(mwaHerzfrequenz, c.deflection->heartRate)
                                                : std::string("-"));
        for (size_t i = 0; i < ConconiPwcHeartRates.size(); ++i) {
            text += Line("PWC" + std::to_string(ConconiPwcHeartRates[i]), PowerText(c.pwc[i]));
        }
    }
    for (const TRatioReport& ratio : report.ratio) {
        text += RatioText(ratio);
    }
    for (const std::string& note : report.notes) {
        text += Line("Note", note);
    }
    return text;
}

} // namespace klt::cli

#include "app/ProfileWriter.h"

#include <cmath>
#include <string_view>

#include "app/ColorNames.h"
#include "core/ProfileText.h"

namespace klt {
namespace {

// Lines with two blanks of indentation per level of nesting.
class TProfileLineWriter {
public:
    void Line(std::string_view text) {
        text_.append(2 * static_cast<std::size_t>(depth_), ' ').append(text).append("\n");
    }
    void Open(std::string_view tag) {
        Line("<" + std::string(tag) + ">");
        ++depth_;
    }
    void Close(std::string_view tag) {
        --depth_;
        Line("</" + std::string(tag) + ">");
    }
    void Variable(std::string_view name, std::string_view value) { Line(ProfileVariableLine(name, value)); }
    void Variable(std::string_view name, int64_t value) { Variable(name, std::to_string(value)); }
    void Boolean(std::string_view name, bool value) { Variable(name, ProfileBooleanText(value)); }
    void Color(std::string_view name, uint32_t value) { Variable(name, ColorToText(value)); }

    std::string Take() { return std::move(text_); }

private:
    std::string text_;
    int depth_ = 0;
};

long WholeDisplayValue(const TMesswertSkala& skala, double raw) {
    return std::lround(MesswertArt(skala.Kind()).ToDisplay(raw));
}

// "Enabled", "Minimum" and "Maximum" of a scale, the range in whole display units.
void WriteSkalaVariables(TProfileLineWriter& out, const TMesswertSkala& skala) {
    out.Boolean("Enabled", skala.Visible());
    out.Variable("Minimum", WholeDisplayValue(skala, skala.Offset()));
    out.Variable("Maximum", WholeDisplayValue(skala, skala.UpperEnd()));
}

void WriteSkala(TProfileLineWriter& out, std::string_view tag, const TMesswertSkala& skala) {
    out.Open(tag);
    WriteSkalaVariables(out, skala);
    out.Close(tag);
}

void WriteRatioSkala(TProfileLineWriter& out, std::string_view tag, const TRatioSkalaOption& option) {
    out.Open(tag);
    WriteSkalaVariables(out, option.Skala);
    out.Variable("MergeFct", option.MergeFct);
    out.Close(tag);
}

void WriteAxis(TProfileLineWriter& out, std::string_view tag, const TChartAxisOption& axis,
               std::string_view minimumName, std::string_view maximumName) {
    out.Open(tag);
    out.Boolean("Enabled", axis.Enabled);
    out.Variable(minimumName, axis.Minimum);
    out.Variable(maximumName, axis.Maximum);
    out.Close(tag);
}

void WriteZone(TProfileLineWriter& out, const TTrainingZone& zone) {
    out.Open("TrainingZone");
    out.Variable("Name", zone.Name);
    out.Variable("PowerBegin", zone.PowerBegin);
    out.Variable("PowerEnd", zone.PowerEnd);
    out.Variable("HeartrateBegin", zone.HeartrateBegin);
    out.Variable("HeartrateEnd", zone.HeartrateEnd);
    out.Variable("SpeedBegin", zone.SpeedBegin);
    out.Variable("SpeedEnd", zone.SpeedEnd);
    out.Variable("CadenceBegin", zone.CadenceBegin);
    out.Variable("CadenceEnd", zone.CadenceEnd);
    out.Color("Color", zone.Color);
    out.Close("TrainingZone");
}

void WriteAnalyse(TProfileLineWriter& out, const TAnalyseOptionSet& analyse) {
    out.Open("AnalyseOptionSet");
    for (const TTrainingZoneSet& zoneSet : analyse.ZoneSets()) {
        out.Open("TrainingZoneSet");
        out.Variable("Date", ProfileDateText(zoneSet.Date));
        for (const TTrainingZone& zone : zoneSet.Zones()) {
            WriteZone(out, zone);
        }
        out.Close("TrainingZoneSet");
    }
    for (int i = 0; i < TAnalyseOptionSet::kMaxPanelCount; ++i) {
        const TMaxPanel& panel = analyse.MaxPanel(i);
        out.Open("MaxPanel");
        out.Boolean("Enabled", panel.Enabled);
        out.Variable("Time", panel.Time);
        out.Color("Color", panel.Color);
        out.Close("MaxPanel");
    }
    out.Close("AnalyseOptionSet");
}

void WriteChart(TProfileLineWriter& out, const TChartOptionSet& chart) {
    out.Open("ChartOptionSet");
    WriteAxis(out, "LeftAxis", chart.LeftAxis, "AxisMinimum", "AxisMaximum");
    WriteAxis(out, "RightAxis", chart.RightAxis, "AxisMinimum", "AxisMaximum");
    out.Open("Marks");
    out.Boolean("Value", chart.Marks);
    out.Close("Marks");
    out.Open("BackgroundBar");
    out.Boolean("Enabled", chart.BackgroundBar);
    out.Close("BackgroundBar");
    out.Open("ValueWindow");
    out.Boolean("Enabled", chart.ValueWindow.Enabled);
    out.Boolean("TotalValues", chart.ValueWindow.TotalValues);
    out.Boolean("AverageValues", chart.ValueWindow.AverageValues);
    out.Boolean("TrainingZoneValues", chart.ValueWindow.TrainingZoneValues);
    out.Close("ValueWindow");
    out.Close("ChartOptionSet");
}

void WriteStatisticChart(TProfileLineWriter& out, const TStatisticChartOptionSet& statistic) {
    out.Open("StatisticChartOptionSet");
    out.Variable("Smooting", statistic.Smooting);
    WriteAxis(out, "LeftAxis", statistic.LeftAxis, "Minimum", "Maximum");
    WriteAxis(out, "RightAxis", statistic.RightAxis, "Minimum", "Maximum");
    WriteSkala(out, "PowerSkala", statistic.PowerSkala);
    WriteSkala(out, "HeartRateSkala", statistic.HeartRateSkala);
    WriteSkala(out, "SpeedSkala", statistic.SpeedSkala);
    WriteSkala(out, "CadenceSkala", statistic.CadenceSkala);
    out.Close("StatisticChartOptionSet");
}

void WriteRatioChart(TProfileLineWriter& out, const TKLTRatioDataChartOptionSet& ratio) {
    out.Open("RatioDataChartOptionSet");
    out.Variable("SmootingFct", ratio.SmootingFct);
    out.Boolean("DrawGrid", ratio.DrawGrid);
    WriteRatioSkala(out, "PowerSkala", ratio.PowerSkala);
    WriteRatioSkala(out, "HeartRateSkala", ratio.HeartRateSkala);
    WriteRatioSkala(out, "SpeedSkala", ratio.SpeedSkala);
    WriteRatioSkala(out, "CadenceSkala", ratio.CadenceSkala);
    out.Close("RatioDataChartOptionSet");
}

void WriteChartTitle(TProfileLineWriter& out, std::string_view tag, const TChartTitleOptionSet& chart) {
    out.Open(tag);
    out.Variable("ChartTitle", chart.ChartTitle);
    out.Close(tag);
}

} // namespace

std::string WriteProfileText(const TProfileOptionSets& sets) {
    TProfileLineWriter out;
    out.Line(kProfileDeclaration);
    out.Open("OptionSets");

    out.Open("UserOptionSet");
    out.Variable("UsedSystems", JoinProfileNames(sets.UserOptionSet.UsedSystems));
    out.Close("UserOptionSet");

    out.Open("System");
    out.Variable("VeltrakVersion", sets.System.VeltrakVersion);
    out.Variable("ProtectionLevel", sets.System.ProtectionLevel);
    out.Close("System");

    WriteChartTitle(out, "SingleChart", sets.SingleChart);
    WriteChartTitle(out, "MultiChart", sets.MultiChart);
    WriteAnalyse(out, sets.AnalyseOptionSet);
    WriteChart(out, sets.ChartOptionSet);
    WriteStatisticChart(out, sets.StatisticChartOptionSet);
    WriteRatioChart(out, sets.RatioDataChartOptionSet);

    out.Open("UploadDataOptionSet");
    out.Variable("Servername", sets.UploadDataOptionSet.Servername);
    out.Boolean("Adminmode", sets.UploadDataOptionSet.Adminmode);
    out.Boolean("AutomaticUpload", sets.UploadDataOptionSet.AutomaticUpload);
    out.Close("UploadDataOptionSet");

    out.Close("OptionSets");
    return out.Take();
}

} // namespace klt

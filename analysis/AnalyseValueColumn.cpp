#include "analysis/AnalyseValueColumn.h"

#include <algorithm>
#include <cstdio>

#include "analysis/Analyse.h"
#include "analysis/ConconiAnalysis.h"
#include "analysis/DiagramSmoothing.h"
#include "analysis/DiagramTitle.h"
#include "analysis/HeartRateAnalysis.h"
#include "core/KLTDate.h"
#include "core/KLTFile.h"

namespace klt {
namespace {

std::string Value(TMesswertArtType kind, double raw) {
    const TMesswertArt& art = MesswertArt(kind);
    return art.FormatValue(raw, -1, true) + " " + art.UnitShortName();
}

TValueLine Named(TMesswertArtType kind, double raw) {
    return {MesswertArt(kind).Name() + ": " + Value(kind, raw), kind};
}

TValueLine NamedOrNone(const std::string& name, TMesswertArtType kind, const std::optional<double>& raw) {
    return {name + ": " + (raw ? Value(kind, *raw) : std::string("-")), kind};
}

std::string DelayText(const TKLTAnalyseData& options, int delay) {
    const bool automatic = options.MinZeitVersatz != options.MaxZeitVersatz;
    const std::string step = FormatTimeOfDay(std::max(options.OfsZeitVersatz, 100), false);
    return "Shifting: " + FormatTimeOfDay(delay, false) + (automatic ? " [Auto " : " [Manu ") + step + "]";
}

std::string RSquaredText(double rSquared) {
    char text[32];
    std::snprintf(text, sizeof text, "R²: %.2f", rSquared);
    return text;
}

void AddConconi(std::vector<TValueLine>& lines, const TConconiResult& conconi) {
    lines.push_back({"Steps: " + std::to_string(conconi.steps.size())});
    if (conconi.deflection) {
        lines.push_back({"Deflection: " + Value(mwaLeistung, conconi.deflection->power), mwaLeistung});
        lines.push_back({"  at " + Value(mwaHerzfrequenz, conconi.deflection->heartRate), mwaHerzfrequenz});
    } else {
        lines.push_back({"Deflection: none"});
    }
    for (size_t i = 0; i < ConconiPwcHeartRates.size(); ++i) {
        lines.push_back(NamedOrNone("PWC" + std::to_string(ConconiPwcHeartRates[i]), mwaPWC150, conconi.pwc[i]));
    }
}

} // namespace

std::vector<TValueLine> AnalyseValueLines(const TKLTAnalyseData& options, const THeartRateAnalysis& analysis,
                                          const TConconiResult* conconi, const TKLTFile& file, int marker) {
    std::vector<TValueLine> lines;
    const THeartRateFit& fit = analysis.fit;
    if (fit.HasLine()) {
        lines.push_back(Named(mwaSteigungHerzfrequenzProLeistung, fit.slope));
        lines.push_back({RSquaredText(fit.rSquared)});
        lines.push_back({DelayText(options, fit.delay)});
    }
    lines.push_back({"Smoothing: " + SmoothingText(options.ZeitGlaettung)});
    if (fit.HasLine()) {
        if (conconi != nullptr) {
            AddConconi(lines, *conconi);
        } else {
            lines.push_back(NamedOrNone(MesswertArt(mwaPWC150).Name(), mwaPWC150, PowerAtHeartRate(fit, 150 * 64.0)));
        }
        lines.push_back(Named(mwaNullstelleHerzfrequenzProLeistung, fit.intercept));
    }
    const TKLTMarker& m = file.Marker(marker);
    lines.push_back({"Time: " + FormatTimeOfDay(m.Duration(), false)});
    lines.push_back(Named(mwaStrecke, double(m.Distance())));
    lines.push_back(Named(mwaArbeit, double(m.Work())));
    lines.push_back(Named(mwaLeistung, double(m.AvgPower())));
    lines.push_back(Named(mwaHerzfrequenz, double(m.AvgHeartRate())));
    lines.push_back(Named(mwaGeschwindigkeit, double(m.AvgSpeed())));
    lines.push_back(Named(mwaTretfrequenz, double(m.AvgCadence())));
    return lines;
}

int ValueColumnWidth(TPRBGICanvas& canvas, const std::vector<TValueLine>& lines) {
    int width = 0;
    for (const TValueLine& line : lines) {
        width = std::max(width, canvas.TextExtent(line.text).width);
    }
    return width;
}

void DrawValueColumn(TPRBGICanvas& canvas, const TDiagramColours& colours, const std::vector<TValueLine>& lines,
                     const TCanvasRect& column) {
    const int charHeight = std::max(canvas.CharHeight(), 1);
    int y = column.top;
    for (const TValueLine& line : lines) {
        if (y + charHeight > column.bottom) {
            break;
        }
        canvas.SetTextColor(line.kind == mwaNone ? colours.text : colours.Curve(line.kind));
        canvas.TextOut(column.left, y, FitText(canvas, line.text, column.right - column.left));
        y += charHeight;
    }
}

} // namespace klt

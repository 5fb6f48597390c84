#pragma once
// What `klt analyse` reports of a marker: its distribution over power, heart rate, cadence and
// speed, the line of heart rate over power and, for a step test, the deflection point and PWC values.
#include <optional>
#include <string>
#include <vector>

#include "analysis/ConconiAnalysis.h"
#include "analysis/HeartRateAnalysis.h"
#include "analysis/RatioData.h"
#include "cli/JsonOutput.h"
#include "core/KLTFile.h"

namespace klt::cli {

struct TRatioReport {
    TRatioChannel channel;
    std::vector<TRatioClass> classes;
};

struct TAnalysisReport {
    std::string path;
    int marker = 0;
    std::vector<TRatioReport> ratio;
    THeartRateAnalysis heartRate;
    std::optional<TConconiResult> conconi;
    std::vector<std::string> notes;
};

// The report of a marker of a loaded training, with the default options of the analyses.
TAnalysisReport AnalyseMarker(TKLTFile& file, const std::string& path, int marker, bool conconi);

TJson AnalysisJson(const TAnalysisReport& report);
std::string AnalysisText(const TAnalysisReport& report);

} // namespace klt::cli

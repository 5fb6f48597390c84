// Runs every benchmark, then prints each measurement as a ratio to its baseline of the same run.
#include <QApplication>
#include <benchmark/benchmark.h>

#include "bench/BenchSupport.h"

#include <cstdio>
#include <initializer_list>
#include <map>
#include <string>

namespace {

class TRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            times_[run.benchmark_name()] = run.GetAdjustedRealTime() * Scale(run.time_unit);
            if (const auto wire = run.counters.find("x_wire"); wire != run.counters.end()) {
                wireRatios_[run.benchmark_name()] = wire->second;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Ratio(const char* what, const char* measured, const char* baseline, double goal) const {
        Ratio(what, {measured}, baseline, goal);
    }

    // Work done together, such as the tables and the analysis a view needs, against one baseline.
    void Ratio(const char* what, std::initializer_list<const char*> measured, const char* baseline,
               double goal) const {
        double sum = 0;
        for (const char* name : measured) {
            if (times_.count(name) == 0) {
                return; // filtered out
            }
            sum += times_.at(name);
        }
        if (times_.count(baseline) != 0) {
            std::printf("%-64s %7.2fx  (goal: within %.1fx)\n", what, sum / times_.at(baseline), goal);
        }
    }

    void Time(const char* what, const char* measured, double limitSeconds) const {
        if (times_.count(measured) != 0) {
            std::printf("%-64s %7.1f ms (goal: under %.0f ms)\n", what, times_.at(measured) * 1e3, limitSeconds * 1e3);
        }
    }

    // A download against the time its bytes take on the line, as the benchmark counted them.
    void WireRatio(const char* what, const char* measured, double goal) const {
        if (wireRatios_.count(measured) != 0) {
            std::printf("%-64s %7.2fx  (goal: within %.1fx)\n", what, wireRatios_.at(measured), goal);
        }
    }

private:
    static double Scale(benchmark::TimeUnit unit) {
        switch (unit) {
        case benchmark::kNanosecond:
            return 1e-9;
        case benchmark::kMicrosecond:
            return 1e-6;
        case benchmark::kMillisecond:
            return 1e-3;
        default:
            return 1.0;
        }
    }

    std::map<std::string, double> times_;
    std::map<std::string, double> wireRatios_;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    // The diagrams and the live window paint on images: the windows without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nRatios against plain passes over the same data, measured in this run:\n");
    reporter.Ratio("read KLT7 / read the bytes into new memory", "ReadKLT7", "PlainRead/0", 2);
    reporter.Ratio("read KLT7 / read the bytes into reused memory", "ReadKLT7", "PlainRead/1", 2);
    reporter.Ratio("write KLT7 (atomic, synced) / write, sync, rename", "WriteKLT7", "PlainWrite/1", 3);
    reporter.Ratio("write KLT7 (atomic, synced) / write and rename, no sync", "WriteKLT7", "PlainWrite/0", 3);
    reporter.Ratio("list 5,000 trainings, warm index / open and read 512 bytes of each",
                   "ListWithWarmIndex/iterations:3", "OpenRead512/iterations:3", 3);
    reporter.Ratio("list 5,000 trainings, no index / read each in full (no index kept)",
                   "ListWithoutIndex/iterations:3", "ReadEveryTraining/iterations:3", 1.5);
    reporter.Time("browser's initials filter, one keystroke over 5,000 trainings", "BrowserInitialsKeystroke", 0.05);
    reporter.Ratio("moving average at every sample, 10 s window / one summation pass",
                   "MovingAverageEverySample/1000", "PlainPass", 3);
    reporter.Ratio("moving average at every sample, 10 min window / one summation pass",
                   "MovingAverageEverySample/60000", "PlainPass", 3);
    reporter.Ratio("moving average asked sample by sample, 10 s window / one pass",
                   "MovingAverageSampleBySample/1000", "PlainPass", 3);
    reporter.Ratio("heart-rate fit, 4 h, delays 0-120 s by 2 s / one pass per delay", "HeartRateFit",
                   "PlainPassPerDelay", 5);
    reporter.Ratio("heart-rate analysis of 65,534 samples, 61 delays / one plain pass", "AnalyseDefaults",
                   "AnalysisPlainPass", 3);
    reporter.Ratio("Conconi analysis of 65,534 samples, one delay / one plain pass", "AnalyseConconiDefaults",
                   "AnalysisPlainPass", 3);
    reporter.Ratio("four distribution tables and the analysis (61 delays) / one plain pass",
                   {"RatioTables", "AnalyseDefaults"}, "AnalysisPlainPass", 3);
    reporter.Ratio("four distribution tables and the Conconi analysis / one plain pass",
                   {"RatioTables", "AnalyseConconiDefaults"}, "AnalysisPlainPass", 3);
    reporter.Ratio("paint the analysis view, 1920x1080 / a rectangle per pair", "PaintAnalysisView",
                   "AnalysisPlainRectangles", 3);
    reporter.Ratio("paint 5-row diagram of 65,534 samples, 1920x1080 / draw its segments",
                   "PaintMultiRowDiagram", "PlainPainterSegments", 2);
    reporter.Ratio("four distribution tables of 65,534 samples / one pass over the four channels", "RatioTables",
                   "RatioPlainPass", 3);
    reporter.Ratio("four distribution tables of 65,534 samples / one summation pass", "RatioTables", "PlainPass", 3);
    reporter.Ratio("paint the distribution view, 1920x1080 / fill its rectangles", "PaintRatioView",
                   "PlainPainterRects", 2);
    reporter.WireRatio("download 2 rides of 3 min at 38,400 baud / their bytes' line time",
                       "DownloadFewMinutes/iterations:3/real_time", 1.2);
    reporter.WireRatio("download a full memory at 38,400 baud / its bytes' line time",
                       "DownloadFullMemory/iterations:1/real_time", 1.2);
    reporter.Ratio("append a sample and repaint the live chart, 1 h ride / empty chart",
                   "LiveChartAppendAndPaint/7200/iterations:300", "LiveChartAppendAndPaint/0/iterations:300", 2);
    reporter.Ratio("append a sample and repaint the live chart, 2 h ride / empty chart",
                   "LiveChartAppendAndPaint/14400/iterations:300", "LiveChartAppendAndPaint/0/iterations:300", 2);
    reporter.Time("a value set in the live queue until its panel shows it", "LivePanelDelay/iterations:40/real_time",
                  0.1);
    klt::bench::RemoveBenchDir();
    benchmark::Shutdown();
    return 0;
}

// The heart-rate/power analysis of the largest training (the default search over 61 delays and
// the Conconi analysis' single delay) against one plain pass over its samples, and painting the
// analysis view against plain QPainter rectangles, on the same image in the same run.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "analysis/ConconiAnalysis.h"
#include "analysis/HeartRateAnalysis.h"
#include "app/OptionData.h"
#include "bench/BenchSupport.h"
#include "ui/canvas/RenderDiagram.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// The analysis as the view computes it, without the marker's cached fit.
klt::THeartRateAnalysis AnalyseAfresh(const klt::TKLTAnalyseData& options) {
    klt::TKLTFile& file = klt::bench::FullTraining();
    file.Marker(0).heartRateFit.reset();
    return klt::AnalyseHeartRate(file, 0, options.FitParameters()).value();
}

void AnalysisPlainPass(benchmark::State& state) {
    const klt::TKLTFile& file = klt::bench::FullTraining();
    for (auto _ : state) {
        int64_t sum = 0;
        for (int i = 1; i <= file.SampleCount(); ++i) {
            sum += file.Sample(i).Power() + file.Sample(i).HeartRate();
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["samples"] = file.SampleCount();
}

void AnalyseDefaults(benchmark::State& state) {
    const klt::TKLTAnalyseData options;
    for (auto _ : state) {
        benchmark::DoNotOptimize(AnalyseAfresh(options).fit.rSquared);
    }
}

void AnalyseConconiDefaults(benchmark::State& state) {
    const klt::TConconiAnalyseData options;
    for (auto _ : state) {
        const klt::THeartRateAnalysis analysis = AnalyseAfresh(options);
        benchmark::DoNotOptimize(
            klt::AnalyseConconi(analysis.pairs, analysis.fit.averagingSamples, analysis.fit).steps.size());
    }
}

struct TAnalysisScene {
    klt::TOptionData options;
    klt::TDiagramView view{&klt::bench::FullTraining(), 0, "Bench", nullptr};
    QImage image{kWidth, kHeight, QImage::Format_RGB32};
    std::vector<klt::THeartRatePair> pairs = AnalyseAfresh(options.KLTAnalyse).pairs;

    TAnalysisScene() {
        options.SetToDefaults();
        options.KLTAnalyse.TrainingZoneSet = klt::TTrainingZoneSet::Default();
        options.GraphicData.PRBGICanvasOptions |= klt::CanvasOptionBit(klt::PlotBereiche);
    }
};

TAnalysisScene& Scene() {
    static TAnalysisScene scene;
    return scene;
}

// A repaint: the fit comes from the marker's cache, the pairs are formed again.
void PaintAnalysisView(benchmark::State& state) {
    TAnalysisScene& scene = Scene();
    for (auto _ : state) {
        QPainter painter(&scene.image);
        klt::RenderDiagram(painter, {QRect(0, 0, kWidth, kHeight), QGuiApplication::font()}, scene.options.KLTAnalyse,
                           scene.view, scene.options.GraphicData);
        painter.end();
        benchmark::DoNotOptimize(scene.image.constBits());
    }
    state.counters["pairs"] = static_cast<double>(scene.pairs.size());
}

// The background and a small rectangle at each pair of the best fit.
void AnalysisPlainRectangles(benchmark::State& state) {
    TAnalysisScene& scene = Scene();
    for (auto _ : state) {
        QPainter painter(&scene.image);
        painter.fillRect(scene.image.rect(), Qt::white);
        painter.setPen(QPen(Qt::blue, 1));
        for (const klt::THeartRatePair& pair : scene.pairs) {
            painter.drawRect(static_cast<int>(pair.power) % kWidth, static_cast<int>(pair.heartRate) % kHeight, 2, 2);
        }
        painter.end();
        benchmark::DoNotOptimize(scene.image.constBits());
    }
    state.counters["pairs"] = static_cast<double>(scene.pairs.size());
}

} // namespace

BENCHMARK(AnalysisPlainPass)->Unit(benchmark::kMicrosecond);
BENCHMARK(AnalyseDefaults)->Unit(benchmark::kMillisecond);
BENCHMARK(AnalyseConconiDefaults)->Unit(benchmark::kMillisecond);
BENCHMARK(PaintAnalysisView)->Unit(benchmark::kMillisecond);
BENCHMARK(AnalysisPlainRectangles)->Unit(benchmark::kMillisecond);

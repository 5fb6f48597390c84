// The distribution view: counting the four tables of the largest marker against one plain pass
// over its samples, and painting the view against as many plain QPainter rectangles.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <vector>

#include "analysis/RatioView.h"
#include "app/GraphicData.h"
#include "bench/BenchSupport.h"
#include "ui/canvas/RenderDiagram.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// A pass reading the four channels the tables count.
void RatioPlainPass(benchmark::State& state) {
    const klt::TKLTFile& file = klt::bench::FullTraining();
    for (auto _ : state) {
        int64_t sum = 0;
        for (int i = 1; i <= file.SampleCount(); ++i) {
            const klt::TSampleElement& s = file.Sample(i);
            sum += s.Power() + s.HeartRate() + s.Cadence() + s.Speed();
        }
        benchmark::DoNotOptimize(sum);
    }
}

// The four tables as the view counts them: one read of the marker, default smoothing (10 s).
void RatioTables(benchmark::State& state) {
    const klt::TKLTFile& file = klt::bench::FullTraining();
    klt::TRatioSamples samples;
    std::vector<klt::TRatioData> tables = {klt::TRatioData(klt::rcPower), klt::TRatioData(klt::rcHeartRate),
                                           klt::TRatioData(klt::rcCadence), klt::TRatioData(klt::rcSpeed)};
    for (auto _ : state) {
        samples.Read(file, 1, file.SampleCount(), 0);
        for (klt::TRatioData& table : tables) {
            table.Fill(samples, 10);
        }
        benchmark::DoNotOptimize(tables.front().TotalSamples());
    }
    state.counters["samples"] = samples.Count();
}

struct TRatioScene {
    klt::TRatioDataGraphicControl control;
    klt::TKLTGraphicData graphic;
    klt::TDiagramView view;
    QImage image{kWidth, kHeight, QImage::Format_RGB32};
    std::vector<QRect> rects; // the bars and mean points the view fills

    TRatioScene() {
        view.file = &klt::bench::FullTraining();
        Paint(); // counts the tables once
        QPainter painter(&image);
        klt::TQtCanvas canvas(painter);
        klt::PrepareDiagramCanvas(painter, canvas, {QRect(0, 0, kWidth, kHeight), QGuiApplication::font()}, graphic);
        for (const klt::TRatioChart& chart : control.LayOut(view, canvas)) {
            for (const klt::TRatioChart::TBar& bar : chart.Bars()) {
                if (bar.rect.bottom > bar.rect.top) {
                    rects.emplace_back(QPoint(bar.rect.left, bar.rect.top),
                                       QPoint(bar.rect.right - 1, bar.rect.bottom - 1));
                }
            }
            for (const klt::TRatioChart::TSeries& series : chart.Series()) {
                for (const auto& point : series.points) {
                    if (point) {
                        rects.emplace_back(point->at.x - 2, point->at.y - 2, 5, 5);
                    }
                }
            }
        }
    }

    void Paint() {
        QPainter painter(&image);
        klt::RenderDiagram(painter, {QRect(0, 0, kWidth, kHeight), QGuiApplication::font()}, control, view, graphic);
    }
};

TRatioScene& Scene() {
    static TRatioScene scene;
    return scene;
}

void PaintRatioView(benchmark::State& state) {
    TRatioScene& scene = Scene();
    for (auto _ : state) {
        scene.Paint();
        benchmark::DoNotOptimize(scene.image.constBits());
    }
    state.counters["rects"] = static_cast<double>(scene.rects.size());
}

// The background and every filled rectangle of the view, one fillRect call each.
void PlainPainterRects(benchmark::State& state) {
    TRatioScene& scene = Scene();
    for (auto _ : state) {
        QPainter painter(&scene.image);
        painter.fillRect(scene.image.rect(), Qt::white);
        for (const QRect& rect : scene.rects) {
            painter.fillRect(rect, Qt::green);
        }
        painter.end();
        benchmark::DoNotOptimize(scene.image.constBits());
    }
    state.counters["rects"] = static_cast<double>(scene.rects.size());
}

} // namespace

BENCHMARK(RatioPlainPass)->Unit(benchmark::kMicrosecond);
BENCHMARK(RatioTables)->Unit(benchmark::kMicrosecond);
BENCHMARK(PaintRatioView)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainPainterRects)->Unit(benchmark::kMillisecond);

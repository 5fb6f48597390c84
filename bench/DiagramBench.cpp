// Painting the multi-row diagram of the largest training against drawing its line segments with
// plain QPainter calls, on the same image in the same run.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <vector>

#include "analysis/DiagramCurves.h"
#include "analysis/DiagramSmoothing.h"
#include "app/OptionData.h"
#include "bench/BenchSupport.h"
#include "ui/canvas/RenderDiagram.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

struct TDiagramScene {
    klt::TOptionData options;
    klt::TDiagramView view;
    QImage image{kWidth, kHeight, QImage::Format_RGB32};
    // The curves' points as the diagram computes them, one vector per row and channel.
    std::vector<std::vector<klt::TCanvasPoint>> curves;

    TDiagramScene() {
        options.SetToDefaults();
        klt::TKLTDiagrammMehrZData& diagram = options.DiagrammMehrZ;
        diagram.MaxAnzahlDiagramme = 5;
        diagram.MaxGlaettung = -1;
        view.file = &klt::bench::FullTraining();
        view.title = "Bench";
        Paint();
        const klt::TDiagramLayout& layout = diagram.LayoutState();
        const int window =
            klt::SmoothingWindowTime(diagram.MaxGlaettung, layout.first, layout.last, view.file->Interval());
        for (const klt::TMesswertArtType kind : klt::DiagramChannels) {
            const std::vector<int> values = view.file->MovingAverages(kind, window);
            for (int row = 0; row < layout.rows; ++row) {
                curves.push_back(klt::CurvePoints(layout, row, values, diagram.Skala(kind)));
            }
        }
    }

    void Paint() {
        QPainter painter(&image);
        klt::RenderDiagram(painter, {QRect(0, 0, kWidth, kHeight), QGuiApplication::font()},
                           options.DiagrammMehrZ, view, options.GraphicData);
    }

    int64_t Segments() const {
        int64_t count = 0;
        for (const auto& curve : curves) {
            count += static_cast<int64_t>(curve.size()) - 1;
        }
        return count;
    }
};

TDiagramScene& Scene() {
    static TDiagramScene scene;
    return scene;
}

void PaintMultiRowDiagram(benchmark::State& state) {
    TDiagramScene& scene = Scene();
    for (auto _ : state) {
        scene.Paint();
        benchmark::DoNotOptimize(scene.image.constBits());
    }
    state.counters["rows"] = scene.options.DiagrammMehrZ.LayoutState().rows;
    state.counters["segments"] = static_cast<double>(scene.Segments());
}

// The background and every segment, one drawLine call each.
void PlainPainterSegments(benchmark::State& state) {
    TDiagramScene& scene = Scene();
    for (auto _ : state) {
        QPainter painter(&scene.image);
        painter.fillRect(scene.image.rect(), Qt::white);
        painter.setPen(QPen(Qt::blue, 1));
        for (const auto& curve : scene.curves) {
            for (size_t i = 1; i < curve.size(); ++i) {
                painter.drawLine(curve[i - 1].x, curve[i - 1].y, curve[i].x, curve[i].y);
            }
        }
        painter.end();
        benchmark::DoNotOptimize(scene.image.constBits());
    }
    state.counters["segments"] = static_cast<double>(scene.Segments());
}

} // namespace

BENCHMARK(PaintMultiRowDiagram)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainPainterSegments)->Unit(benchmark::kMillisecond);

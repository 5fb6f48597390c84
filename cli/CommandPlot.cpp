// klt plot: draws a training's diagram into a PNG image, with the same drawing code as the window.
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "analysis/RatioView.h"
#include "app/OptionData.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "core/Exceptions.h"
#include "ui/canvas/RenderDiagram.h"

namespace klt::cli {
namespace {

constexpr int kMaxImageSide = 16384;

struct TPlotOptions {
    std::string path, out;
    std::string view = "multi";
    std::optional<int> rows; // the view's own when not given
    int marker = 0;
    int width = 1600;
    int height = 900;
};

TKLTDiagrammMehrZData& DiagramOfView(TOptionData& options, const std::string& view) {
    if (view == "single") {
        return options.DiagrammEinZDetail;
    }
    if (view == "trend") {
        return options.DiagrammEinZTrend;
    }
    return options.DiagrammMehrZ;
}

// The control that draws the view: a diagram, an analysis or the distribution charts.
TKLTGraphicControl& ControlOfView(TOptionData& options, TRatioDataGraphicControl& ratio, const std::string& view) {
    if (view == "analysis") {
        return options.KLTAnalyse;
    }
    if (view == "conconi") {
        return options.ConconiAnalyse;
    }
    if (view == "ratio") {
        return ratio;
    }
    return DiagramOfView(options, view);
}

// Drawing needs the GUI module, but never a display.
class TOffscreenApplication {
public:
    TOffscreenApplication() {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        application_ = std::make_unique<QGuiApplication>(argc_, argv_);
    }
    QFont Font() const { return QGuiApplication::font(); }

private:
    int argc_ = 1;
    char name_[4] = "klt";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QGuiApplication> application_;
};

// Writes next to the target and renames, so that a failed write never leaves half an image.
void SavePng(const QImage& image, const std::string& path) {
    const std::string temp = path + ".tmp";
    if (!image.save(QString::fromStdString(temp), "PNG")) {
        std::filesystem::remove(temp);
        throw Exception("'" + path + "': the image could not be written");
    }
    std::error_code error;
    std::filesystem::rename(temp, path, error);
    if (error) {
        std::filesystem::remove(temp);
        throw Exception("'" + path + "': " + error.message());
    }
}

int RunPlot(const TPlotOptions& plot) {
    TOptionData options;
    options.SetToDefaults();
    TKLTDiagrammMehrZData& diagram = DiagramOfView(options, plot.view);
    diagram.MaxAnzahlDiagramme = plot.rows.value_or(diagram.MaxAnzahlDiagramme);
    TRatioDataGraphicControl ratio; // the distribution with its default settings, speed in km/h
    TKLTGraphicControl& control = ControlOfView(options, ratio, plot.view);
    const int marker = plot.marker, width = plot.width, height = plot.height;
    const std::string& path = plot.path;
    const std::string& out = plot.out;

    TKLTFile file;
    LoadTraining(file, path);
    CheckMarker(file, path, marker);
    diagram.TrainingZoneSet = TTrainingZoneSet::Default();
    options.KLTAnalyse.TrainingZoneSet = diagram.TrainingZoneSet;
    options.ConconiAnalyse.TrainingZoneSet = diagram.TrainingZoneSet;

    const TOffscreenApplication application;
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull()) {
        throw Exception("'" + out + "': no memory for an image of " + std::to_string(width) + "x" +
                        std::to_string(height));
    }
    {
        QPainter painter(&image);
        const TDiagramSurface surface{QRect(0, 0, width, height), application.Font()};
        const TDiagramView view{&file, marker, std::filesystem::path(path).stem().string(), nullptr};
        RenderDiagram(painter, surface, control, view, options.GraphicData);
    }
    SavePng(image, out);
    return 0;
}

} // namespace

void AddPlotCommand(CLI::App& klt, TCommandRun& selected) {
    auto options = std::make_shared<TPlotOptions>();
    CLI::App& plot = *klt.add_subcommand("plot", "draw a diagram of the training into a PNG image, as the window does");
    plot.add_option("FILE", options->path, "the training file")->required();
    plot.add_option("-o,--output", options->out, "the PNG image to write")->required()->type_name("OUT.png");
    plot.add_option("--view", options->view,
                    "single, trend, multi (the default), ratio (distribution), analysis or conconi")
        ->check(CLI::IsMember({"single", "trend", "multi", "ratio", "analysis", "conconi"}).description(""))
        ->type_name("VIEW");
    plot.add_option("--rows", options->rows, "rows of the multi-line view (default: the view's)")
        ->transform(WholeNumber(1, 5));
    plot.add_option("--marker", options->marker, "the marker to show (default 0: the whole training)")
        ->transform(WholeNumber(0, 65535));
    plot.add_option("--width", options->width, "image width in pixels (default 1600)")
        ->transform(WholeNumber(1, kMaxImageSide));
    plot.add_option("--height", options->height, "image height in pixels (default 900)")
        ->transform(WholeNumber(1, kMaxImageSide));
    RunWhenSelected(plot, selected, [options] { return RunPlot(*options); });
}

} // namespace klt::cli

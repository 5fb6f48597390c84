// klt plot: draws a training's diagram into a PNG image, with the same drawing code as the window.
#include <cstdlib>
#include <filesystem>
#include <memory>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "app/OptionData.h"
#include "cli/Commands.h"
#include "core/Exceptions.h"
#include "ui/canvas/RenderDiagram.h"

namespace klt::cli {
namespace {

constexpr int kMaxImageSide = 16384;

int IntegerOption(const TArguments& parsed, const std::string& name, int fallback, int lowest, int highest) {
    const auto found = parsed.options.find(name);
    if (found == parsed.options.end()) {
        return fallback;
    }
    const std::string& text = found->second;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < lowest || value > highest) {
        throw EUsage(name + " must be a whole number from " + std::to_string(lowest) + " to " +
                     std::to_string(highest));
    }
    return static_cast<int>(value);
}

TKLTDiagrammMehrZData& DiagramOfView(TOptionData& options, const std::string& view) {
    if (view == "single") {
        return options.DiagrammEinZDetail;
    }
    if (view == "trend") {
        return options.DiagrammEinZTrend;
    }
    if (view == "multi") {
        return options.DiagrammMehrZ;
    }
    throw EUsage("--view is single, trend or multi");
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

} // namespace

int RunPlot(const std::vector<std::string>& args) {
    std::vector<std::string> normalised = args;
    for (std::string& arg : normalised) {
        if (arg == "-o") {
            arg = "--output";
        }
    }
    const TArguments parsed = TArguments::Parse(
        normalised, {}, {"--view", "--rows", "--marker", "--width", "--height", "--output"});
    if (parsed.positional.size() != 1) {
        throw EUsage("plot needs one FILE");
    }
    if (parsed.options.count("--output") == 0) {
        throw EUsage("plot needs -o OUT.png");
    }
    TOptionData options;
    options.SetToDefaults();
    const std::string viewName = parsed.options.count("--view") ? parsed.options.at("--view") : "multi";
    TKLTDiagrammMehrZData& diagram = DiagramOfView(options, viewName);
    diagram.MaxAnzahlDiagramme = IntegerOption(parsed, "--rows", diagram.MaxAnzahlDiagramme, 1, 5);
    const int marker = IntegerOption(parsed, "--marker", 0, 0, 65535);
    const int width = IntegerOption(parsed, "--width", 1600, 1, kMaxImageSide);
    const int height = IntegerOption(parsed, "--height", 900, 1, kMaxImageSide);
    const std::string& path = parsed.positional[0];
    const std::string& out = parsed.options.at("--output");

    TKLTFile file;
    LoadTraining(file, path);
    if (marker >= file.MarkerCount()) {
        throw Exception("'" + path + "': there is no marker " + std::to_string(marker) + " (markers 0 to " +
                        std::to_string(file.MarkerCount() - 1) + ")");
    }
    diagram.TrainingZoneSet = TTrainingZoneSet::Default();

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
        RenderDiagram(painter, surface, diagram, view, options.GraphicData);
    }
    SavePng(image, out);
    return 0;
}

} // namespace klt::cli

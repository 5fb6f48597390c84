#include <cstdio>

#include "app/SystemData.h"
#include "cli/CommandLine.h"
#include "cli/TerminalText.h"
#include "cli/Commands.h"
#include "cli/DatabaseText.h"
#include "cli/JsonOutput.h"
#include "cli/TextTable.h"
#include "core/Exceptions.h"
#include "core/KLTDate.h"
#include "flow/DatabaseSink.h"
#include "flow/MemoryImageFile.h"

namespace klt::cli {
namespace {

std::string TrainingsTable(const std::vector<TImageTraining>& trainings) {
    TTextTable table({{"Date", 10, false},
                      {"Start", 8, true},
                      {"Athlete", 8, false},
                      {"Duration", 9, true},
                      {"Samples", 7, true},
                      {"Blocks", 0, true}});
    for (const TImageTraining& t : trainings) {
        table.AddRow({FormatIsoDate(t.date), FormatTimeOfDay(t.startTime, false), t.initials,
                      FormatDuration(t.duration), std::to_string(t.samples), std::to_string(t.segments)});
    }
    return table.Text() + std::to_string(trainings.size()) +
           (trainings.size() == 1 ? " training\n" : " trainings\n");
}

TJson TrainingsJson(const std::vector<TImageTraining>& trainings) {
    TJson list = TJson::array();
    for (const TImageTraining& t : trainings) {
        list.push_back({{"date", t.date},
                        {"start_time", t.startTime},
                        {"initials", t.initials},
                        {"duration", t.duration},
                        {"samples", t.samples},
                        {"blocks", t.segments}});
    }
    return list;
}

struct TImageOptions {
    std::string path;
    bool save = false;
    bool json = false;
};

int RunImage(const TImageOptions& options) {
    const std::string& path = options.path;
    const bool asJson = options.json;
    const TSystemData system = ConfiguredSystemData();
    std::vector<std::string> errors;
    const auto collect = [&](const std::exception& error) {
        errors.emplace_back(error.what());
        if (!asJson) {
            std::fprintf(stderr, "%s\n", PrintableLines(error.what()).c_str());
        }
    };
    std::unique_ptr<TMemoryImageFile> image;
    try {
        image = std::make_unique<TMemoryImageFile>(path, TrainingLimits(system), collect);
    } catch (Exception& error) {
        error.SetMessage("'" + path + "': " + error.Message());
        throw;
    }
    const std::vector<TImageTraining> trainings = image->Trainings();
    std::vector<std::string> written;
    if (options.save) {
        TCautiousPrompt prompt;
        TDatabaseSink sink(system.DataBaseDir, prompt);
        try {
            const TDownloadResult result = image->Save(sink);
            written = result.files;
            for (const std::string& error : result.errors) {
                collect(Exception(error));
            }
        } catch (const Exception& error) {
            collect(error);
        }
    }
    if (asJson) {
        TJson added = TJson::array();
        for (const std::string& file : written) {
            added.push_back({{"source", path}, {"path", file}});
        }
        TJson failed = TJson::array();
        for (const std::string& message : errors) {
            failed.push_back({{"source", path}, {"message", message}});
        }
        PrintJson({{"source", path}, {"trainings", TrainingsJson(trainings)}, {"added", added}, {"errors", failed}});
    } else {
        std::fputs(TrainingsTable(trainings).c_str(), stdout);
        for (const std::string& file : written) {
            std::printf("%s -> %s\n", Printable(path).c_str(), Printable(file).c_str());
        }
    }
    return errors.empty() ? 0 : 1;
}

} // namespace

void AddImageCommand(CLI::App& klt, TCommandRun& selected) {
    auto options = std::make_shared<TImageOptions>();
    CLI::App& image = *klt.add_subcommand("image", "trainings of a head-unit memory image (.kli, .img)");
    image.add_option("FILE", options->path, "the memory image")->required();
    image.add_flag("--save", options->save, "write the trainings into the database");
    image.add_flag("--json", options->json, "one JSON object {source, trainings, added, errors}");
    RunWhenSelected(image, selected, [options] { return RunImage(*options); });
}

} // namespace klt::cli

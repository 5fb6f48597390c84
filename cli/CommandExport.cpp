#include "cli/Commands.h"
#include "core/Exceptions.h"
#include "core/TextExport.h"

namespace klt::cli {

int RunExport(const std::vector<std::string>& args) {
    const TArguments parsed = TArguments::Parse(args, {}, {"--format", "--marker"});
    if (parsed.positional.size() != 2) {
        throw EUsage("export needs FILE and OUT");
    }
    const std::string format = parsed.options.count("--format") ? parsed.options.at("--format") : "text";
    if (format != "text" && format != "text-ext") {
        throw EUsage("--format is text or text-ext");
    }
    int marker = 0;
    if (parsed.options.count("--marker")) {
        const std::string& text = parsed.options.at("--marker");
        size_t used = 0;
        try {
            marker = std::stoi(text, &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used == 0 || used != text.size() || marker < 0) {
            throw EUsage("--marker is a marker number (0: the whole training)");
        }
    }
    const std::string& in = parsed.positional[0];
    const std::string& out = parsed.positional[1];
    if (SameFile(in, out)) {
        throw Exception("'" + out + "': the output would overwrite the input");
    }
    TKLTFile file;
    LoadTraining(file, in);
    if (marker >= file.MarkerCount()) {
        throw Exception("'" + in + "' has no marker " + std::to_string(marker));
    }
    ExportTrainingText(file, marker, format == "text" ? TTextExportForm::Basic : TTextExportForm::Extended, out);
    return 0;
}

} // namespace klt::cli

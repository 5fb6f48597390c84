#include "app/KLTMainExport.h"

#include <cstdio>
#include <filesystem>

#include "core/Exceptions.h"
#include "core/FileHistory.h"
#include "core/KLTFile.h"
#include "core/Prompt.h"

namespace klt {

const std::vector<TExportFilter>& AvailableExportFilters() {
    static const std::vector<TExportFilter> filters = {
        {TExportFormat::Klt7, "Training as data file", "*.klt"},
        {TExportFormat::Klt6, "Training as data file(old format)", "*.klt"},
    };
    return filters;
}

std::string ExportExtension(TExportFormat format, int marker) {
    switch (format) {
    case TExportFormat::Klt7:
    case TExportFormat::Klt6:
        return ".klt";
    case TExportFormat::Text:
    case TExportFormat::TextNew:
        return ".txt";
    case TExportFormat::MarkerText:
    case TExportFormat::MarkerTextNew:
        break;
    }
    char extension[8];
    std::snprintf(extension, sizeof extension, ".$%02X", static_cast<unsigned>(marker) & 0xFF);
    return extension;
}

std::string ProposedExportName(const TKLTFile& file, TExportFormat format, int marker) {
    std::filesystem::path name = std::filesystem::path(file.FileName()).filename();
    return name.replace_extension(ExportExtension(format, marker)).string();
}

void ExportTraining(TKLTFile& file, TExportFormat format, const std::string& path) {
    if (FullPath(path) == FullPath(file.FileName())) {
        // An old format or a text written over the training itself would lose it.
        throw EInOutError("'" + path + "': the training cannot be exported onto its own file");
    }
    file.EnsureLoaded();
    switch (format) {
    case TExportFormat::Klt7:
        file.WriteKLT7(path, TDateTimeMark::None());
        return;
    case TExportFormat::Klt6:
        file.WriteKLT6(path, TDateTimeMark::None());
        return;
    default:
        throw EInOutError("'" + path + "': this export format is not available yet");
    }
}

void ExportTrainings(const std::vector<TExportItem>& items, TExportFormat format,
                     const std::string& directory) {
    for (const auto& [file, marker] : items) {
        const std::string path = directory + "/" + ProposedExportName(*file, format, marker);
        try {
            std::error_code error;
            if (std::filesystem::exists(path, error) &&
                Prompt().Ask("Warning", "'" + path + "' exists already. Do you want to replace it?",
                             TPromptButtons::YesNo) != TPromptAnswer::Yes) {
                continue;
            }
            ExportTraining(*file, format, path);
        } catch (const std::exception& e) {
            Prompt().ShowMessage("Warning", "'" + file->FileName() + "': " + e.what());
        }
    }
}

} // namespace klt

#include "app/KLTMainExport.h"

#include <cstdio>
#include <filesystem>

#include "core/Exceptions.h"
#include "core/FileHistory.h"
#include "core/KLTFile.h"
#include "core/Prompt.h"
#include "core/TextExport.h"

namespace klt {

const std::vector<TExportFilter>& AvailableExportFilters() {
    static const std::vector<TExportFilter> filters = {
        {TExportFormat::Klt7, "Training as data file", "*.klt"},
        {TExportFormat::Klt6, "Training as data file(old format)", "*.klt"},
        {TExportFormat::Text, "Training as text file", "*.txt"},
        {TExportFormat::MarkerText, "Marker as text file", "*.$*"},
        {TExportFormat::TextNew, "Training as text file(new format)", "*.txt"},
        {TExportFormat::MarkerTextNew, "Marker as text file(new format)", "*.$*"},
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
    // Marker 0, the whole training, too: the form, not the marker, chooses the extension.
    char extension[8];
    std::snprintf(extension, sizeof extension, ".$%02X", static_cast<unsigned>(marker) & 0xFFu);
    return extension;
}

std::string WithExportExtension(const std::string& name, TExportFormat format, int marker) {
    return std::filesystem::path(name).replace_extension(ExportExtension(format, marker)).string();
}

std::string ProposedExportName(const TKLTFile& file, TExportFormat format, int marker) {
    return WithExportExtension(std::filesystem::path(file.FileName()).filename().string(), format, marker);
}

void ExportTraining(TKLTFile& file, TExportFormat format, const std::string& path, int marker) {
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
    case TExportFormat::Text:
        ExportTrainingText(file, 0, TTextExportForm::Basic, path);
        return;
    case TExportFormat::MarkerText:
        ExportTrainingText(file, marker, TTextExportForm::Basic, path);
        return;
    case TExportFormat::TextNew:
        ExportTrainingText(file, 0, TTextExportForm::Extended, path);
        return;
    case TExportFormat::MarkerTextNew:
        ExportTrainingText(file, marker, TTextExportForm::Extended, path);
        return;
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
            ExportTraining(*file, format, path, marker);
        } catch (const std::exception& e) {
            Prompt().ShowMessage("Warning", "'" + file->FileName() + "': " + e.what());
        }
    }
}

} // namespace klt

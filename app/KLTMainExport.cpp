#include "app/KLTMainExport.h"

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
        return TextExportExtension(0);
    case TExportFormat::MarkerText:
    case TExportFormat::MarkerTextNew:
        break;
    }
    return TextExportExtension(marker);
}

std::string ProposedExportName(const TKLTFile& file, TExportFormat format, int marker) {
    std::filesystem::path name = std::filesystem::path(file.FileName()).filename();
    return name.replace_extension(ExportExtension(format, marker)).string();
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

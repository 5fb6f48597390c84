#pragma once
// Exporting the training of a document window under a name of its own.
#include <string>
#include <string_view>
#include <vector>

namespace klt {

class TKLTFile;

// The export formats, numbered as the export dialog's filters.
enum class TExportFormat {
    Klt7 = 1,       // "Training as data file"
    Klt6 = 2,       // "Training as data file(old format)"
    Text = 3,       // "Training as text file"
    MarkerText = 4, // "Marker as text file"
    TextNew = 5,    // "Training as text file(new format)"
    MarkerTextNew = 6 // "Marker as text file(new format)"
};

struct TExportFilter {
    TExportFormat format;
    std::string_view description;
    std::string_view pattern;
};

// The export formats in dialog order.
const std::vector<TExportFilter>& AvailableExportFilters();

// The extension a file of the format gets: ".klt", ".txt", or for a marker ".$" and the marker's
// number as two hexadecimal digits.
std::string ExportExtension(TExportFormat format, int marker);

// The name with the format's extension in place of its own.
std::string WithExportExtension(const std::string& name, TExportFormat format, int marker);

// The name proposed for exporting `file`: its own name with the format's extension.
std::string ProposedExportName(const TKLTFile& file, TExportFormat format, int marker);

// Writes the training (the marker forms: marker `marker`) at `path`; throws what writing throws,
// and refuses to replace the training's own file.
void ExportTraining(TKLTFile& file, TExportFormat format, const std::string& path, int marker = 0);

struct TExportItem {
    TKLTFile* file;
    int marker; // the marker its window shows
};

// "Export all open Files": each training into `directory` under its proposed name. Asks before
// replacing a file; each failure is reported and the others are still written.
void ExportTrainings(const std::vector<TExportItem>& items, TExportFormat format,
                     const std::string& directory);

} // namespace klt

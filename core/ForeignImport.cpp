#include "core/ForeignImport.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <exception>
#include <filesystem>

#include "core/Exceptions.h"
#include "core/HrmImport.h"
#include "core/Initials.h"
#include "core/RawImport.h"
#include "core/SmallFile.h"
#include "core/TextImport.h"

namespace klt {

TForeignFormat ForeignFormatOf(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".raw") {
        return TForeignFormat::Raw;
    }
    if (extension == ".txt" || extension.find('$') != std::string::npos) {
        return TForeignFormat::Text;
    }
    if (extension == ".hrm") {
        return TForeignFormat::Hrm;
    }
    return TForeignFormat::None;
}

bool ImportForeignFile(TKLTFile& file) {
    const TForeignImportOptions& options = file.ImportOptions();
    const TForeignFormat format = ForeignFormatOf(file.FileName());
    if (format == TForeignFormat::None) {
        return false;
    }
    const std::string quotedName = "'" + file.FileName() + "'";
    try {
        const std::optional<std::string> content = ReadSmallFile(file.FileName(), kMaxForeignFileSize);
        if (!content) {
            throw EInOutError("File not found");
        }
        switch (format) {
        case TForeignFormat::Raw:
            ImportRawTraining(file, *content);
            break;
        case TForeignFormat::Text:
            ImportTextTraining(file, *content);
            break;
        case TForeignFormat::Hrm:
            ImportHrmTraining(file, *content, options.altitudeAsPower);
            break;
        case TForeignFormat::None:
            break;
        }
        if (!options.initials.empty()) {
            file.Marker(0).name = NormalizeInitials(options.initials);
        }
    } catch (Exception& error) {
        if (error.Message().find(quotedName) == std::string::npos) {
            error.SetMessage(quotedName + ": " + error.Message());
        }
        throw;
    }
    return true;
}

void InstallForeignImports() {
    TKLTFile::ForeignImport() = [](TKLTFile& file) {
        if (!ImportForeignFile(file)) {
            // An empty training must not pass for an imported one.
            if (std::exception_ptr readError = std::current_exception()) {
                std::rethrow_exception(readError);
            }
            throw EKLTFileInOutError("'" + file.FileName() + "': not a training file");
        }
    };
}

void FinishImport(TKLTFile& file, int sampleCount, int32_t startTime) {
    file.EditHeader().magic = {'K', 'L', 'T', '7'};
    file.SetSampleCount(sampleCount);
    file.Normalise(); // marker 0 over every sample; "No data" for a file without samples
    file.SetStartTime(startTime);
    file.MarkModified();
}

int ImportedRaw(TMesswertArtType kind, double display) {
    const double raw = MesswertArt(kind).ToRawRounded(display);
    if (std::isnan(raw)) {
        throw EConvertError("not a number");
    }
    return RoundedRaw(raw);
}

int RoundedRaw(double raw) {
    return static_cast<int>(std::clamp(std::round(raw), double{INT_MIN}, double{INT_MAX}));
}

} // namespace klt

#include "app/KLTIni.h"

#include <filesystem>
#include <optional>

#include "core/BinaryFile.h"
#include "core/Exceptions.h"
#include "core/MesswertColours.h"
#include "core/MesswertUnitSelection.h"
#include "core/Prompt.h"
#include "core/SmallFile.h"
#include "core/Texts.h"
#include "core/TrainingEnvironment.h"

namespace klt {
namespace {

constexpr const char* DamagedSettingsMessage =
    "Error reading your stored settings\r\nWill be set to defaults";
constexpr const char* UnsaveableSettingsMessage = "Unable to save your settings to file %s";

// Moves a damaged file out of the way, so that saving the defaults does not destroy what the user
// may still want to repair by hand.
void KeepDamagedFile(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_regular_file(std::filesystem::symlink_status(path, error))) {
        std::filesystem::rename(path, path + ".damaged", error);
    }
}

} // namespace

TKLTIniFile::TKLTIniFile(const std::string& path) : path_(FullPath(path)) {
    Load();
}

TKLTIniFile::~TKLTIniFile() {
    Save();
    TTrainingEnvironment& environment = TrainingEnvironment();
    if (environment.fileHistory == &FileHistory) {
        environment = TTrainingEnvironment();
    }
}

void TKLTIniFile::Load() {
    try {
        if (std::optional<std::string> text = ReadSmallFile(path_, kMaxFileSize)) {
            ReadText(*text);
        } else {
            SetToDefaults();
        }
    } catch (const Exception&) {
        SetToDefaults();
        KeepDamagedFile(path_);
        Prompt().ShowMessage("Attention", DamagedSettingsMessage);
    }
    FileHistory.PurgeMissing();
    ApplySystemSettings();
}

bool TKLTIniFile::Save() {
    try {
        const std::string text = Text();
        std::filesystem::create_directories(std::filesystem::path(path_).parent_path());
        TAtomicFileWriter writer(path_);
        writer.Write(text.data(), text.size());
        writer.Commit();
        return true;
    } catch (const std::exception&) {
        Prompt().ShowMessage("Warning", FormatText(UnsaveableSettingsMessage, {path_}));
        return false;
    }
}

void TKLTIniFile::ApplySystemSettings() {
    SelectMesswertUnits(SystemData.UnitSettings());
    // Black window text until the window program rebuilds the colours with its own.
    RebuildSlotColours(OptionData.GraphicData.PRBGICanvasPalette, false, TRgb{});
    TrainingEnvironment() = TTrainingEnvironment{SystemData.DataBaseDir, &FileHistory, &MarkerIdentList};
}

} // namespace klt

#pragma once
// A main window for document windows under test: it hands options back at once and records what
// the windows asked of it.
#include <string>

#include "app/KLTIniData.h"
#include "app/OptionDataUnit.h"
#include "core/TrainingEnvironment.h"
#include "tests/support/RawTraining.h"
#include "tools/synth/SyntheticRide.h"
#include "ui/DocumentHost.h"
#include "ui/KLTChildForm.h"

namespace klt::test {

class TFakeDocumentHost : public IDocumentHost {
public:
    TFakeDocumentHost() {
        configuration.SetToDefaults();
        TrainingEnvironment().fileHistory = &configuration.FileHistory;
    }
    ~TFakeDocumentHost() override { TrainingEnvironment().fileHistory = nullptr; }

    // Options go back to this window, as to the active document of the main window.
    TKLTChildForm* active = nullptr;

    void ApplyOptions(const TOptionData& options) override {
        if (active != nullptr) {
            active->ApplyOptions(options, false);
        }
    }
    TKLTIniData& Configuration() override { return configuration; }
    TOptionDataNew& OptionTree() override { return tree; }
    void ShowHint(const std::string& text) override { hint = text; }
    void OpenOptionsDialog() override { ++optionsDialogs; }
    void ShowDocumentPopup(TKLTChildForm&, const QPoint&) override { ++documentPopups; }
    void ShowMarkerPopup(TKLTChildForm&, const QPoint&, int tabHit) override { lastTabHit = tabHit; }
    void FileHistoryChanged() override { ++historyChanges; }

    // A ride of the synthetic rider with its interval markers, written into the temporary folder.
    std::string WriteRide(const std::string& name = "ride.klt") {
        TKLTFile file;
        synth::BuildRide(file, {.date = 53000, .intervals = 3, .pauseSeconds = 120});
        const std::string path = dir.File(name);
        file.WriteKLT7(path, TDateTimeMark::None());
        return path;
    }

    TTempDir dir;
    TKLTIniData configuration;
    TOptionDataNew tree{dir.Path(), ""};
    std::string hint;
    int optionsDialogs = 0;
    int documentPopups = 0;
    int lastTabHit = -3;
    int historyChanges = 0;
};

} // namespace klt::test

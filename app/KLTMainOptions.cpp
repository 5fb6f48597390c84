#include "app/KLTMainOptions.h"

#include "app/KLTIniData.h"
#include "core/MesswertUnitSelection.h"

namespace klt {

TDisplayChange ApplyDisplaySettings(const TKLTIniData& configuration, TDisplayState& state, TRgb windowText) {
    const TSystemData& system = configuration.SystemData;
    TDisplayChange change;
    change.barsChanged =
        state.speedbarVisible != system.ShowSpeedbar || state.statusLineVisible != system.ShowStatusLine;
    state.speedbarVisible = system.ShowSpeedbar;
    state.statusLineVisible = system.ShowStatusLine;
    const int palette = configuration.OptionData.GraphicData.PRBGICanvasPalette;
    if (palette != state.palette) {
        state.palette = palette;
        RebuildSlotColours(palette, false, windowText);
        change.redraw = true;
    }
    if (SelectMesswertUnits(system.UnitSettings())) {
        change.redraw = true;
    }
    return change;
}

void TOptionsApplier::ApplyOptions(const TOptionData& options, TKLTIniData& configuration,
                                   IOptionDocuments& documents) {
    if (applying_) {
        return;
    }
    applying_ = true;
    try {
        // The options may belong to a document that the steps below change.
        TOptionData applied;
        applied.Assign(options);
        if (configuration.SystemData.DefaultNewFiles) {
            configuration.OptionData.Assign(applied);
        }
        const bool displayChanged = documents.ApplyDisplaySettings();
        if (displayChanged || configuration.SystemData.DefaultAllFiles) {
            documents.ApplyToAllDocuments(applied, displayChanged);
        } else {
            documents.ApplyToActiveDocument(applied, displayChanged);
        }
    } catch (...) {
        applying_ = false;
        throw;
    }
    applying_ = false;
}

} // namespace klt

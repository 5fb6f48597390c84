#pragma once
// Applying changed options: the display settings of the configuration to the main window, and a
// document's options to one or all documents and to the defaults for new files.
#include "core/MesswertColours.h"

namespace klt {

class TKLTIniData;
class TOptionData;

// What the main window shows as the display settings last applied.
struct TDisplayState {
    bool speedbarVisible = true;
    bool statusLineVisible = true;
    int palette = -1; // none applied yet
};

struct TDisplayChange {
    bool barsChanged = false; // speed bar or status line shown or hidden: children re-lay out
    bool redraw = false;      // palette or units changed: every window redraws
};

// Takes the speed bar, status line, palette and units of the configuration into `state` and the
// measurement kinds; `windowText` is the system's text colour for the grey palettes.
TDisplayChange ApplyDisplaySettings(const TKLTIniData& configuration, TDisplayState& state, TRgb windowText);

// The documents of the main window, as option changes reach them.
class IOptionDocuments {
public:
    virtual ~IOptionDocuments() = default;
    // Applies the display settings to the window; whether documents must redraw.
    virtual bool ApplyDisplaySettings() = 0;
    // Every training document window, the last first.
    virtual void ApplyToAllDocuments(const TOptionData& options, bool force) = 0;
    virtual void ApplyToActiveDocument(const TOptionData& options, bool force) = 0;
};

class TOptionsApplier {
public:
    // Options changed (options dialog, a document's keys): they become the defaults for new files
    // when so configured, then go to every document (display changed or configured so) or to the
    // active one. Calls made while applying are ignored.
    void ApplyOptions(const TOptionData& options, TKLTIniData& configuration, IOptionDocuments& documents);

private:
    bool applying_ = false;
};

} // namespace klt

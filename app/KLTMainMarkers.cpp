#include "app/KLTMainMarkers.h"

#include "core/KLTFile.h"
#include "core/Prompt.h"
#include "core/Texts.h"

namespace klt {

TMarkerPopupState MarkerPopupState(int tabHit) {
    return {tabHit >= -1, tabHit > 0, tabHit > 0};
}

void SelectNewMarkerSample(TKLTFile& file, int tabHit) {
    const int sample = tabHit <= 0 ? file.SelectionFirst() : file.SelectionLast();
    file.SetSelection(true, sample, sample);
}

bool ConfirmMarkerDeletion(const TKLTFile& file, int marker) {
    if (marker <= 0 || marker >= file.MarkerCount()) {
        return false;
    }
    const std::string text =
        FormatText("Do you really want to delete marker '%s'?", {file.Marker(marker).name});
    return Prompt().Ask("Warning", text, TPromptButtons::YesNo) == TPromptAnswer::Yes;
}

void DeleteMarker(TKLTFile& file, int marker) {
    file.SetSelection(file.SelectionActive(), file.SelectionLast(), file.SelectionLast());
    file.RemoveMarker(marker);
}

int CurrentMarkerAfterDeletion(int current, int deleted) {
    if (current == deleted) {
        return 0;
    }
    return current > deleted ? current - 1 : current;
}

} // namespace klt

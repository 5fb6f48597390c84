#pragma once
// The marker popup of a document's marker tabs: what it offers for the tab hit, and its commands
// that need no dialog.
namespace klt {

class TKLTFile;

struct TMarkerPopupState {
    bool canCreate = false;
    bool canEdit = false;
    bool canDelete = false;
};

// `tabHit`: -2 no marker row, -1 no tab under the mouse, else the tab (marker) index. The first tab,
// the whole training, can be neither edited nor deleted.
TMarkerPopupState MarkerPopupState(int tabHit);

// Narrows the selection to the one sample a new marker starts from: its start when no tab or the
// first tab was hit, else its end.
void SelectNewMarkerSample(TKLTFile& file, int tabHit);

// Asks "Do you really want to delete marker '<name>'?"; false for marker 0 or one that is not there.
bool ConfirmMarkerDeletion(const TKLTFile& file, int marker);
// The selection collapses to its end and the marker goes.
void DeleteMarker(TKLTFile& file, int marker);
// The marker a window shows once marker `deleted` is gone: the whole training instead of the
// deleted one, the same marker one place further up behind it.
int CurrentMarkerAfterDeletion(int current, int deleted);

} // namespace klt

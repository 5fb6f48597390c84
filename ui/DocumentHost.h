#pragma once
// What a training document window needs of the main window around it.
#include <string>

class QPoint;

namespace klt {

class TKLTChildForm;
class TKLTIniData;
class TOptionData;
class TOptionDataNew;

class IDocumentHost {
public:
    virtual ~IDocumentHost() = default;
    // The main window's ApplyOptions: hands the options back to this window, and to the other
    // documents when so configured.
    virtual void ApplyOptions(const TOptionData& options) = 0;
    virtual TKLTIniData& Configuration() = 0; // defaults for new files, file history
    virtual TOptionDataNew& OptionTree() = 0; // zone sets, option-set names
    virtual void ShowHint(const std::string& text) = 0; // status line
    virtual void OpenOptionsDialog() = 0;
    // Popup menus over a document: the document menu, and the marker menu with the tab hit test
    // (-2 no marker row, -1 no tab, else the tab index).
    virtual void ShowDocumentPopup(TKLTChildForm& form, const QPoint& globalPos) = 0;
    virtual void ShowMarkerPopup(TKLTChildForm& form, const QPoint& globalPos, int tabHit) = 0;
    // The file history changed: refresh the menus that list it.
    virtual void FileHistoryChanged() = 0;
};

} // namespace klt

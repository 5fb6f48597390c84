// Placeholders until the dialogs land; each dialog's own file replaces its stub.
#include "ui/Dialogs.h"

namespace klt {

void ExecuteFileOpenDialog(QWidget*, TKLTIniData&, const std::function<void(const std::string&)>&) {}
bool ExecuteMarkerDialog(QWidget*, TKLTFile&, int, int) {
    return false;
}
bool ExecuteFilePropertyDialog(QWidget*, TKLTFile&) {
    return false;
}
bool ExecuteOptionDialog(QWidget*, TOptionData&, TKLTIniData&, TOptionDataNew&) {
    return false;
}
void ExecuteInfoDialog(QWidget*) {}

} // namespace klt

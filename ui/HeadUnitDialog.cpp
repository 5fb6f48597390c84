#include "ui/HeadUnitDialog.h"

#include <QCloseEvent>

namespace klt {

void THeadUnitDialog::reject() {
    if (talking_) {
        StopTalking();
        return;
    }
    QDialog::reject();
}

void THeadUnitDialog::closeEvent(QCloseEvent* event) {
    if (talking_) {
        StopTalking();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

} // namespace klt

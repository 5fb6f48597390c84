#pragma once
// A dialog that talks to a head unit. While it does, closing it or pressing Escape only asks the
// running exchange to stop; the dialog ends once the exchange has unwound.
#include <QDialog>

namespace klt {

class THeadUnitDialog : public QDialog {
public:
    using QDialog::QDialog;

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

    // Marks the dialog as talking to the head unit, from the start of its work to its end.
    void SetTalking(bool talking) { talking_ = talking; }
    bool IsTalking() const { return talking_; }
    // The user wants the dialog gone while it talks to the head unit.
    virtual void StopTalking() = 0;

private:
    bool talking_ = false;
};

} // namespace klt

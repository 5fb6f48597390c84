#pragma once
// The live mode's "Options": a page per option set and the "Predefined File" programs, edited on
// a working copy; "Apply" and "OK" take it into the live options and save them.
#include <QDialog>
#include <string>

#include "online/OnlineOptionsEditor.h"

class QPushButton;
class QTabWidget;

namespace klt {

class TErgoProgramPage;

class TOnlineOptionsDlg : public QDialog {
    Q_OBJECT

public:
    TOnlineOptionsDlg(TOnlineOptions& live, const std::string& databaseDir, QWidget* parent = nullptr);

    TOnlineOptionsEditor& Editor() { return editor_; }
    QTabWidget& Pages() const { return *pages_; }
    TErgoProgramPage& ProgramPage() const { return *programPage_; }
    QPushButton& ApplyButton() const { return *apply_; }
    QPushButton& ResetButton() const { return *reset_; }

    // "OK" and "Cancel" (Esc, closing the window) both offer to save pending changes first.
    void accept() override;
    void reject() override;

signals:
    // The live options were replaced and saved.
    void Applied();

private:
    void Changed();
    void Apply();
    void Close(bool accepted);
    void ResetSoftware();

    TOnlineOptionsEditor editor_;
    QTabWidget* pages_;
    TErgoProgramPage* programPage_;
    QPushButton* apply_ = nullptr;
    QPushButton* reset_ = nullptr;
    int reported_ = 0; // applications the window has heard of
};

} // namespace klt

#pragma once
// About the program: its name and version, the Qt it runs on, and where it keeps its settings
// and trainings.
#include <QDialog>

namespace klt {

class TKLTInfoDlg : public QDialog {
    Q_OBJECT

public:
    explicit TKLTInfoDlg(QWidget* parent = nullptr);
};

} // namespace klt

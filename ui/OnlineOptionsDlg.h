#pragma once
// The live options dialog.
#include <QDialog>
#include <string>

#include "online/OnlineOptions.h"

namespace klt {

class TOnlineOptionsDlg : public QDialog {
    Q_OBJECT

public:
    TOnlineOptionsDlg(TOnlineOptions& live, const std::string& databaseDir, QWidget* parent = nullptr);

signals:
    void Applied();
};

} // namespace klt

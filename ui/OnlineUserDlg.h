#pragma once
// The "User" dialog: the demo rider's names and category.
#include <QDialog>

#include "online/DemoPerson.h"
#include "online/OnlineDemoModeOptionSet.h"

namespace klt {

class TOnlineUserDlg : public QDialog {
public:
    static bool Edit(TDemoPerson& person, const TOnlineDemoModeOptionSet& demo, QWidget* parent = nullptr);
};

} // namespace klt

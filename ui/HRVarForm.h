#pragma once
// The heart-rate variability window.
#include <QDialog>
#include <memory>
#include <string>

#include "device/usb/VeltrakVI.h"
#include "flow/HeadUnitSession.h"

namespace klt {

class THRVarForm : public QDialog {
public:
    THRVarForm(std::unique_ptr<TVeltrak> veltrak, const std::string& databaseDir, QWidget* parent = nullptr);
};

std::unique_ptr<TVeltrak> OpenHRVarHeadUnit(const TDownloadConfiguration& configuration);

} // namespace klt

#pragma once
// The demo results window of one category.
#include <QDialog>

#include "online/OnlineOptions.h"

namespace klt {

class TDemoResultsForm : public QDialog {
public:
    TDemoResultsForm(TOnlineOptions& options, int categorie, QWidget* parent = nullptr);
};

} // namespace klt

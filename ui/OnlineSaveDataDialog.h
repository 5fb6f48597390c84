#pragma once
// The save dialog of a live run: initials, date, time and comment of the training.
#include <QDialog>
#include <optional>

#include "online/OnlineRunController.h"

namespace klt {

class TOnlineSaveDataDialog : public QDialog {
public:
    static std::optional<TSaveDetails> Ask(const TSaveDetails& proposed, QWidget* parent = nullptr);
};

} // namespace klt

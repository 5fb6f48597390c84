#pragma once
// "Save Data" at the end of a live test: the rider's initials, the date and time of the ride and
// a comment for the training it becomes.
#include <QDialog>
#include <optional>

#include "online/OnlineRunController.h"

class QDateEdit;
class QLineEdit;
class QTimeEdit;

namespace klt {

class TOnlineSaveDataDialog : public QDialog {
    Q_OBJECT

public:
    explicit TOnlineSaveDataDialog(const TSaveDetails& proposed, QWidget* parent = nullptr);

    // The details confirmed, or nothing when the user cancelled.
    static std::optional<TSaveDetails> Ask(const TSaveDetails& proposed, QWidget* parent = nullptr);

    const TSaveDetails& Details() const { return details_; }
    QLineEdit& InitialsEdit() const { return *initials_; }
    QDateEdit& DateEdit() const { return *date_; }
    QTimeEdit& TimeEdit() const { return *time_; }
    QLineEdit& CommentEdit() const { return *comment_; }

    // Closes only with details that can be saved; otherwise says why and stays.
    void accept() override;

private:
    TSaveDetails details_;
    QLineEdit* initials_;
    QDateEdit* date_;
    QTimeEdit* time_;
    QLineEdit* comment_;
};

} // namespace klt

#pragma once
// "User": the names and category of the person about to ride a demo.
#include <QDialog>

#include "online/DemoPerson.h"

class QComboBox;
class QLineEdit;

namespace klt {

class TOnlineUserDlg : public QDialog {
    Q_OBJECT

public:
    TOnlineUserDlg(const TDemoPerson& person, const TOnlineDemoModeOptionSet& demo, QWidget* parent = nullptr);

    // Edits `person`; false, with the person unchanged, when the user cancelled.
    static bool Edit(TDemoPerson& person, const TOnlineDemoModeOptionSet& demo, QWidget* parent = nullptr);

    const TDemoPerson& Person() const { return person_; }
    QLineEdit& FirstNameEdit() const { return *firstName_; }
    QLineEdit& LastNameEdit() const { return *lastName_; }
    QComboBox& CategorieBox() const { return *categorie_; }

    void accept() override;

private:
    TDemoPerson person_;
    QLineEdit* firstName_;
    QLineEdit* lastName_;
    QComboBox* categorie_;
};

} // namespace klt

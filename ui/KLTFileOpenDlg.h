#pragma once
// The training browser: trainings of the database by initials and dates, one row each, to open,
// delete or change.
#include <QDialog>
#include <functional>
#include <string>

#include "app/KLTFileOpenController.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace klt {

class TDateFilterEdit;
class TKLTIniData;

class TKLTFileOpenDlg : public QDialog {
    Q_OBJECT

public:
    using TOpen = std::function<void(const std::string& path)>;

    TKLTFileOpenDlg(TKLTIniData& configuration, TOpen open, QWidget* parent = nullptr);

    TKLTFileOpenController& Controller() { return controller_; }
    QComboBox& InitialsBox() const { return *initials_; }
    TDateFilterEdit& FromEdit() const { return *from_; }
    TDateFilterEdit& ToEdit() const { return *to_; }
    QTableWidget& Grid() const { return *grid_; }
    QPushButton& OpenButton() const { return *open_; }
    QPushButton& DeleteButton() const { return *delete_; }
    QPushButton& PropertiesButton() const { return *properties_; }
    QPushButton& OkButton() const { return *ok_; }

    void OpenSelected();
    void DeleteSelected();
    void ShowProperties();
    void accept() override;

private:
    QWidget* CreateFilter();
    void SetUpGrid();
    // Lists anew with the wait cursor, then shows the rows.
    void Refresh(const std::function<void()>& change);
    void ShowRows();
    void ShowDates();

    TKLTFileOpenController controller_;
    TOpen openTraining_;
    QComboBox* initials_ = nullptr;
    TDateFilterEdit* from_ = nullptr;
    TDateFilterEdit* to_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QLabel* count_ = nullptr;
    QPushButton* open_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* properties_ = nullptr;
    QPushButton* ok_ = nullptr;
    bool showing_ = false;
};

} // namespace klt

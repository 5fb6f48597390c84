#pragma once
// The demo mode's results window: a category's ranking as the crowd reads it, its order, clearing
// and printing.
#include <QDialog>

#include "online/DemoResultsView.h"

class QComboBox;
class QPagedPaintDevice;
class QPushButton;
class QTableWidget;

namespace klt {

class TDemoResultsForm : public QDialog {
    Q_OBJECT

public:
    // Reads the results files of the options' categories and shows `categorie`.
    TDemoResultsForm(TOnlineOptions& options, int categorie, QWidget* parent = nullptr);

    TDemoResultsView& View() { return view_; }
    QComboBox& CategorieBox() const { return *categorie_; }
    QComboBox& SortBox() const { return *sort_; }
    QTableWidget& Grid() const { return *grid_; }
    QPushButton& ClearCategorieButton() const { return *clearCategorie_; }
    QPushButton& ClearAllButton() const { return *clearAll_; }
    QPushButton& PrintButton() const { return *print_; }

    // The print dialog, then the ranking on the chosen printer.
    void Print();
    // The ranking on a printer or a PDF; a failure is shown.
    bool PrintTo(QPagedPaintDevice& device);

private:
    void ShowRows();
    void ClearCategorie();
    void ClearAll();

    TDemoResultsView view_;
    QComboBox* categorie_ = nullptr;
    QComboBox* sort_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QPushButton* clearCategorie_ = nullptr;
    QPushButton* clearAll_ = nullptr;
    QPushButton* print_ = nullptr;
};

} // namespace klt

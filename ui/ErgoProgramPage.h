#pragma once
// The "Predefined File" page of the live options: the programs, the steps of the selected one
// with their targets and check marks, and the program's totals.
#include <QWidget>
#include <functional>
#include <string>

class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace klt {

class TOnlineOptionsEditor;

class TErgoProgramPage : public QWidget {
    Q_OBJECT

public:
    // Asks for the name of a new program; empty when the user cancelled.
    using TNameAsker = std::function<std::string()>;

    TErgoProgramPage(TOnlineOptionsEditor& editor, QWidget* parent = nullptr);

    // Replaces the file dialog "Create" opens (tests).
    void SetNameAsker(TNameAsker asker) { askName_ = std::move(asker); }
    // Shows the editor's working copy afresh (after Apply, which may have changed the selection).
    void ShowProgram();

    QListWidget& Programs() const { return *programs_; }
    QTableWidget& Steps() const { return *steps_; }
    QPushButton& CreateButton() const { return *create_; }
    QPushButton& DeleteButton() const { return *delete_; }
    QPushButton& NewStepButton() const { return *newStep_; }
    QPushButton& DeleteStepButton() const { return *deleteStep_; }
    QPushButton& UpButton() const { return *up_; }
    QPushButton& DownButton() const { return *down_; }
    QLabel& Totals() const { return *totals_; }

signals:
    // The working copy changed.
    void Changed();

private:
    std::string AskNameInFileDialog();
    void ShowPrograms();
    void ShowSteps();
    void StepEdited(int row, int column);
    // Runs a change of the program, then shows it and reports it.
    void Change(const std::function<void()>& change);

    TOnlineOptionsEditor& editor_;
    TNameAsker askName_;
    bool showing_ = false;
    QListWidget* programs_;
    QPushButton* create_;
    QPushButton* delete_;
    QTableWidget* steps_;
    QPushButton* newStep_;
    QPushButton* deleteStep_;
    QPushButton* up_;
    QPushButton* down_;
    QLabel* totals_;
};

} // namespace klt

#include "ui/ErgoProgramPage.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <array>
#include <filesystem>
#include <system_error>

#include "core/KLTDate.h"
#include "core/NumberFormat.h"
#include "core/Prompt.h"
#include "online/OnlineOptionsEditor.h"
#include "ui/MesswertDisplay.h"

namespace klt {
namespace {

// A column of the step table: the step's value shown in whole display units.
struct TStepColumn {
    TErgoUnit unit;
    TErgoControl control; // None: the time column, whose check mark marks the step
    int scale;            // raw units per display unit
    int maximum;          // display units
};

constexpr std::array<TStepColumn, 4> kColumns = {{
    {TErgoUnit::Time, TErgoControl::None, 1, 0},
    {TErgoUnit::Power, TErgoControl::Power, 8, 4000},
    {TErgoUnit::Cadence, TErgoControl::Cadence, 32, 250},
    {TErgoUnit::Heartrate, TErgoControl::Heartrate, 64, 250},
}};
constexpr int kMaxStepTime = 24 * 360000 - 1; // 1/100 s; a step of a day at most

QString CellText(const TStepColumn& column, int32_t value) {
    if (column.unit == TErgoUnit::Time) {
        return ToQString(FormatTimeOfDay(value, false));
    }
    return QString::number(value / column.scale);
}

// The raw value of a typed cell; nothing for a text that is no value of the column.
std::optional<int32_t> CellValue(const TStepColumn& column, const QString& text) {
    if (column.unit == TErgoUnit::Time) {
        std::optional<int64_t> time = ParseTimeText(text.trimmed().toStdString());
        if (!time || *time < 0 || *time > kMaxStepTime) {
            return std::nullopt;
        }
        return static_cast<int32_t>(*time);
    }
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < 0 || value > column.maximum) {
        return std::nullopt;
    }
    return value * column.scale;
}

} // namespace

TErgoProgramPage::TErgoProgramPage(TOnlineOptionsEditor& editor, QWidget* parent)
    : QWidget(parent), editor_(editor), askName_([this] { return AskNameInFileDialog(); }),
      programs_(new QListWidget(this)), create_(new QPushButton(tr("C&reate"), this)),
      delete_(new QPushButton(tr("De&lete "), this)), steps_(new QTableWidget(0, 4, this)),
      newStep_(new QPushButton(tr("&New Zone"), this)), deleteStep_(new QPushButton(tr("Delete &Zone"), this)),
      up_(new QPushButton(tr("Move &up"), this)), down_(new QPushButton(tr("Move do&wn"), this)),
      totals_(new QLabel(this)) {
    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    auto* programsLabel = new QLabel(tr("&Programs:"), this);
    programsLabel->setBuddy(programs_);
    left->addWidget(programsLabel);
    left->addWidget(programs_, 1);
    auto* programButtons = new QHBoxLayout;
    programButtons->addWidget(create_);
    programButtons->addWidget(delete_);
    left->addLayout(programButtons);
    layout->addLayout(left, 1);

    auto* right = new QVBoxLayout;
    auto* stepsLabel = new QLabel(tr("S&teps (check a target to control the brake by it, a time to mark "
                                      "the step):"),
                                  this);
    stepsLabel->setBuddy(steps_);
    right->addWidget(stepsLabel);
    steps_->setHorizontalHeaderLabels({tr("Time"), tr("Power [W]"), tr("Cadence [1/min]"), tr("Heart rate [1/min]")});
    steps_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    steps_->setSelectionBehavior(QAbstractItemView::SelectRows);
    steps_->setSelectionMode(QAbstractItemView::SingleSelection);
    right->addWidget(steps_, 1);
    auto* stepButtons = new QHBoxLayout;
    for (QPushButton* button : {newStep_, deleteStep_, up_, down_}) {
        stepButtons->addWidget(button);
    }
    stepButtons->addStretch(1);
    right->addLayout(stepButtons);
    right->addWidget(totals_);
    layout->addLayout(right, 3);

    connect(programs_, &QListWidget::currentTextChanged, this, [this](const QString& name) {
        if (!showing_ && !name.isEmpty()) {
            Change([this, name] { editor_.ChooseProgram(name.toStdString()); });
        }
    });
    connect(create_, &QPushButton::clicked, this, [this] {
        const std::string name = askName_();
        if (!name.empty()) {
            Change([this, &name] { editor_.CreateProgram(name); });
        }
    });
    connect(delete_, &QPushButton::clicked, this, [this] { Change([this] { editor_.DeleteSelectedProgram(); }); });
    connect(newStep_, &QPushButton::clicked, this, [this] { Change([this] { editor_.InsertStep(); }); });
    connect(deleteStep_, &QPushButton::clicked, this, [this] { Change([this] { editor_.DeleteStep(); }); });
    connect(up_, &QPushButton::clicked, this, [this] { Change([this] { editor_.MoveStepUp(); }); });
    connect(down_, &QPushButton::clicked, this, [this] { Change([this] { editor_.MoveStepDown(); }); });
    connect(steps_, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (!showing_ && row >= 0) {
            editor_.SelectStep(row);
        }
    });
    connect(steps_, &QTableWidget::cellChanged, this, &TErgoProgramPage::StepEdited);
    ShowProgram();
}

std::string TErgoProgramPage::AskNameInFileDialog() {
    const std::string directory = editor_.Working().OnlineErgometerOptions.PredefinedFileOptionSet.ErgoDirectory();
    std::error_code ignored; // the dialog opens elsewhere when the folder cannot be made
    std::filesystem::create_directories(directory, ignored);
    const QString path = QFileDialog::getSaveFileName(this, tr("Create new Training File"), ToQString(directory),
                                                      tr("Ergo programs (*.erg)"));
    return path.isEmpty() ? std::string() : std::filesystem::path(path.toStdString()).stem().string();
}

void TErgoProgramPage::ShowProgram() {
    showing_ = true;
    ShowPrograms();
    ShowSteps();
    showing_ = false;
}

void TErgoProgramPage::ShowPrograms() {
    const auto& set = editor_.Working().OnlineErgometerOptions.PredefinedFileOptionSet;
    programs_->clear();
    for (const std::string& name : set.FileNames()) {
        programs_->addItem(ToQString(name));
    }
    const QList<QListWidgetItem*> selected = programs_->findItems(ToQString(set.SelectedFileName()), Qt::MatchExactly);
    programs_->setCurrentItem(set.SelectedFileName().empty() || selected.isEmpty() ? nullptr : selected.front());
    delete_->setEnabled(!set.SelectedFileName().empty());
}

void TErgoProgramPage::ShowSteps() {
    const TKLTErgoFile& program = editor_.Program();
    const bool editable = !editor_.Working().OnlineErgometerOptions.PredefinedFileOptionSet.SelectedFileName().empty();
    steps_->setRowCount(editable ? program.Count() : 0);
    for (int row = 0; row < steps_->rowCount(); ++row) {
        const TKLTErgoSection& step = *program.Section(row);
        for (int column = 0; column < static_cast<int>(kColumns.size()); ++column) {
            const TStepColumn& kind = kColumns[static_cast<size_t>(column)];
            // Items are updated in place: an edit reports from inside the item it changed.
            QTableWidgetItem* item = steps_->item(row, column);
            if (item == nullptr) {
                item = new QTableWidgetItem;
                item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable |
                               Qt::ItemIsUserCheckable);
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                steps_->setItem(row, column, item);
            }
            item->setText(CellText(kind, step.Unit(kind.unit).Value));
            const bool checked = kind.control == TErgoControl::None ? step.Time.Checked
                                                                     : step.ControlledBy() == kind.control;
            item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
        }
    }
    if (steps_->rowCount() > 0) {
        steps_->setCurrentCell(editor_.SelectedStep(), std::max(steps_->currentColumn(), 0));
    }
    for (QPushButton* button : {newStep_, up_, down_}) {
        button->setEnabled(editable);
    }
    deleteStep_->setEnabled(editable && program.Count() > 1);
    steps_->setEnabled(editable);
    totals_->setText(tr("Total time: %1    Work: %2 kJ")
                         .arg(ToQString(FormatTimeOfDay(editor_.TotalTime(), false)))
                         .arg(ToQString(FormatFloatFixed(editor_.TotalWork(), 1, true, FormatSettings()))));
}

void TErgoProgramPage::StepEdited(int row, int column) {
    if (showing_) {
        return;
    }
    const TStepColumn& kind = kColumns[static_cast<size_t>(column)];
    const QTableWidgetItem& item = *steps_->item(row, column);
    const TKLTErgoSection step = *editor_.Program().Section(row);
    const std::optional<int32_t> value = CellValue(kind, item.text());
    if (!value) {
        Prompt().ShowMessage("Attention", kind.unit == TErgoUnit::Time
                                              ? "Please enter the step's time as H:MM:SS."
                                              : "Please enter a whole number from 0 to " +
                                                    std::to_string(kind.maximum) + ".");
        Change([] {}); // shows the value the step keeps
        return;
    }
    const bool checked = item.checkState() == Qt::Checked;
    Change([&] {
        // A check mark toggled leaves the text: a raw value between display units stays as it is.
        if (CellText(kind, *value) != CellText(kind, step.Unit(kind.unit).Value)) {
            editor_.SetValue(row, kind.unit, *value);
        }
        if (kind.control == TErgoControl::None) {
            editor_.SetMarked(row, checked);
        } else if (checked != (step.ControlledBy() == kind.control)) {
            editor_.SetControlledBy(row, checked ? kind.control : TErgoControl::None);
        }
    });
}

void TErgoProgramPage::Change(const std::function<void()>& change) {
    change();
    ShowProgram();
    emit Changed();
}

} // namespace klt

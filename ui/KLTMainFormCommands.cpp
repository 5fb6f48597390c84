// The commands on the active document: views, saving, printing, copying, export and import, the
// edit commands and the marker and property dialogs.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryFile>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <type_traits>

#include "app/KLTIni.h"
#include "app/KLTMainExport.h"
#include "core/BinaryFile.h"
#include "core/KLTFile.h"
#include "ui/Dialogs.h"
#include "ui/KLTChildForm.h"
#include "ui/KLTMainForm.h"

namespace klt {
namespace {

QString StartDirectory(const TKLTIniData& configuration) {
    const std::string& dir = configuration.SystemData.ImportExportDir;
    return QString::fromStdString(dir.empty() ? configuration.SystemData.DataBaseDir : dir);
}

template <class Field> bool HasSelection(Field& field) {
    if constexpr (std::is_same_v<Field, QLineEdit>) {
        return field.hasSelectedText();
    } else {
        return field.textCursor().hasSelection();
    }
}

// Cut and Copy take the whole text when nothing is selected.
template <class Field> void EditText(Field& field, TKLTMainForm::TTextEdit edit) {
    if (edit != TKLTMainForm::TTextEdit::Paste && !HasSelection(field)) {
        field.selectAll();
    }
    switch (edit) {
    case TKLTMainForm::TTextEdit::Cut:
        field.cut();
        break;
    case TKLTMainForm::TTextEdit::Copy:
        field.copy();
        break;
    case TKLTMainForm::TTextEdit::Paste:
        field.paste();
        break;
    }
}

// Millimetres in tenths to printer pixels.
int ToPixels(int32_t tenthMillimetres, int dotsPerInch) {
    return static_cast<int>(static_cast<int64_t>(tenthMillimetres) * dotsPerInch / 254);
}

} // namespace

void TKLTMainForm::SetActiveView(TKLTGraphicType view) {
    if (TKLTChildForm* document = ActiveDocument()) {
        document->setUpdatesEnabled(false);
        document->SetView(view);
        document->setUpdatesEnabled(true);
    }
    UpdateCommandStates();
}

void TKLTMainForm::SaveActiveDocument() {
    if (TKLTChildForm* document = ActiveDocument()) {
        try {
            document->Save(false);
        } catch (const std::exception& e) {
            OnCommandFailed(e);
        }
    }
    UpdateCommandStates();
}

bool TKLTMainForm::PrintTo(QPrinter& printer, TKLTChildForm& document) {
    const TPrinterData& layout = ini_->PrinterData;
    printer.setPageOrientation(layout.Orientation == TPrinterData::kPortrait ? QPageLayout::Portrait
                                                                             : QPageLayout::Landscape);
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer)) {
        OnCommandFailed(std::runtime_error("The printer could not be started"));
        return false;
    }
    const int dpi = printer.resolution();
    QRect page(ToPixels(layout.Left, dpi), ToPixels(layout.Top, dpi), ToPixels(layout.Width, dpi),
               ToPixels(layout.Height, dpi));
    page = page.intersected(QRect(QPoint(0, 0), QSize(printer.width(), printer.height())));
    if (page.isEmpty()) {
        page = QRect(0, 0, printer.width(), printer.height()); // a layout off the paper: the whole page
    }
    document.PrintTo(painter, page);
    return painter.end();
}

void TKLTMainForm::PrintActiveDocument() {
    TKLTChildForm* document = ActiveDocument();
    if (document == nullptr) {
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted) {
        PrintTo(printer, *document);
    }
}

void TKLTMainForm::PrintActiveDocumentToPdf() {
    TKLTChildForm* document = ActiveDocument();
    if (document == nullptr) {
        return;
    }
    const QString proposed = QString::fromStdString(
        std::filesystem::path(document->File().FileName()).replace_extension(".pdf").filename().string());
    const QString path = QFileDialog::getSaveFileName(
        this, "Print to PDF", StartDirectory(*ini_) + "/" + proposed, "PDF files (*.pdf)");
    if (!path.isEmpty() && PrintActiveDocumentTo(path)) {
        statusBar()->showMessage("Printed to " + path, 5000);
    }
}

bool TKLTMainForm::PrintActiveDocumentTo(const QString& pdfPath) {
    TKLTChildForm* document = ActiveDocument();
    if (document == nullptr) {
        return false;
    }
    // Printed beside the target and renamed over it, so an old file survives a failed print.
    QTemporaryFile temporary(pdfPath + ".XXXXXX");
    if (!temporary.open()) {
        OnCommandFailed(
            std::runtime_error("'" + pdfPath.toStdString() + "': " + temporary.errorString().toStdString()));
        return false;
    }
    temporary.close();
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(temporary.fileName());
        if (!PrintTo(printer, *document)) {
            return false;
        }
    }
    // A temporary file is the owner's alone; the PDF gets the permissions any saved file gets.
    std::error_code error;
    std::filesystem::permissions(QFile::encodeName(temporary.fileName()).toStdString(),
                                 static_cast<std::filesystem::perms>(NewFileMode(QFile::encodeName(pdfPath).toStdString())),
                                 error);
    std::filesystem::rename(QFile::encodeName(temporary.fileName()).toStdString(),
                            QFile::encodeName(pdfPath).toStdString(), error);
    if (error) {
        OnCommandFailed(std::runtime_error("'" + pdfPath.toStdString() + "': " + error.message()));
        return false;
    }
    temporary.setAutoRemove(false);
    return true;
}

void TKLTMainForm::CopyActiveWindowImage() {
    if (QMdiSubWindow* window = mdiArea_->currentSubWindow()) {
        QApplication::clipboard()->setPixmap(window->widget()->grab());
    }
}

void TKLTMainForm::ExportActiveDocument() {
    TKLTChildForm* document = ActiveDocument();
    if (document == nullptr) {
        return;
    }
    const std::vector<TExportFilter>& filters = AvailableExportFilters();
    QStringList names;
    for (const TExportFilter& filter : filters) {
        names << QString("%1 (%2)").arg(
            QString::fromUtf8(filter.description.data(), filter.description.size()),
            QString::fromUtf8(filter.pattern.data(), filter.pattern.size()));
    }
    QFileDialog dialog(this, "Export");
    dialog.setOption(QFileDialog::DontUseNativeDialog); // it carries the "Export all open Files" option
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDirectory(StartDirectory(*ini_));
    dialog.setNameFilters(names);
    dialog.selectFile(QString::fromStdString(
        ProposedExportName(document->File(), filters.front().format, document->CurrentMarker())));
    // The name follows the chosen form: ".txt" for the training, ".$NN" for the marker.
    const int marker = document->CurrentMarker();
    // After the dialog's own renaming, which would write the filter's "*" into the name; the name
    // field is written directly, as the dialog leaves a focused field alone.
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, &filters, &names, marker](const QString& filter) {
        QTimer::singleShot(0, &dialog, [&dialog, &filters, marker, index = names.indexOf(filter)] {
            auto* nameEdit = dialog.findChild<QLineEdit*>("fileNameEdit");
            if (nameEdit == nullptr || index < 0 || nameEdit->text().isEmpty()) {
                return;
            }
            nameEdit->setText(QString::fromStdString(WithExportExtension(
                nameEdit->text().toStdString(), filters.at(static_cast<size_t>(index)).format, marker)));
        });
    });
    auto* exportAll = new QCheckBox("Export all open Files", &dialog);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
        grid->addWidget(exportAll, grid->rowCount(), 0, 1, grid->columnCount());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    const TExportFormat format =
        filters.at(static_cast<size_t>(std::max<qsizetype>(0, names.indexOf(dialog.selectedNameFilter()))))
            .format;
    const std::string path = dialog.selectedFiles().front().toStdString();
    const std::string directory = std::filesystem::path(path).parent_path().string();
    ini_->SystemData.ImportExportDir = directory;
    if (exportAll->isChecked()) {
        std::vector<TExportItem> items;
        for (TKLTChildForm* open : Documents()) {
            const TExportItem item{&open->File(), open->CurrentMarker()};
            if (std::none_of(items.begin(), items.end(), [&](const TExportItem& other) {
                    return other.file == item.file && other.marker == item.marker;
                })) {
                items.push_back(item);
            }
        }
        ExportTrainings(items, format, directory);
        return;
    }
    try {
        ExportTraining(document->File(), format, path, document->CurrentMarker());
    } catch (const std::exception& e) {
        OnCommandFailed(e);
    }
}

void TKLTMainForm::ImportFiles() {
    QFileDialog dialog(this, "Import");
    dialog.setOption(QFileDialog::DontUseNativeDialog); // it carries the options for foreign files
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setDirectory(StartDirectory(*ini_));
    dialog.setNameFilters({"Training files (*.klt *.KLT *.dat *.DAT)", "Text files (*.txt *.TXT *.$*)",
                           "Polar files (*.raw *.RAW *.hrm *.HRM)", "Head unit image files (*.img *.IMG *.kli *.KLI)",
                           "All files (*)"});
    auto* initials = new QLineEdit(QString::fromStdString(importOptions_.initials), &dialog);
    initials->setObjectName("ImportInitials");
    initials->setMaxLength(20);
    auto* initialsLabel = new QLabel("&Initials for imported files:", &dialog);
    initialsLabel->setBuddy(initials);
    auto* altitude = new QCheckBox("Import &Altitude Data", &dialog);
    altitude->setObjectName("ImportAltitudeAsPower");
    altitude->setToolTip("Polar files without power: the altitude column becomes the power");
    altitude->setChecked(importOptions_.altitudeAsPower);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
        const int row = grid->rowCount();
        grid->addWidget(initialsLabel, row, 0);
        grid->addWidget(initials, row, 1);
        grid->addWidget(altitude, row + 1, 0, 1, grid->columnCount());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    const QStringList chosen = dialog.selectedFiles();
    importOptions_ = {.altitudeAsPower = altitude->isChecked(), .initials = initials->text().trimmed().toStdString()};
    ini_->SystemData.ImportExportDir =
        std::filesystem::path(chosen.front().toStdString()).parent_path().string();
    std::vector<std::string> paths;
    for (const QString& path : chosen) {
        paths.push_back(QFile::encodeName(path).toStdString());
    }
    opener_->OpenTrainingFiles(paths, importOptions_);
}

void TKLTMainForm::ShowFileProperties() {
    if (TKLTChildForm* document = ActiveDocument()) {
        ExecuteFilePropertyDialog(this, document->File());
        UpdateCommandStates();
    }
}

void TKLTMainForm::EditCurrentMarker() {
    TKLTChildForm* document = ActiveDocument();
    if (document == nullptr) {
        return;
    }
    if (document->View() != gtSingleRow && document->View() != gtMultiRow) {
        document->SetView(gtMultiRow);
        if (document->View() != gtMultiRow) {
            return; // the user kept the data editor's edits on show
        }
    }
    ExecuteMarkerDialog(this, document->File(), document->CurrentMarker(), 0);
    UpdateCommandStates();
}

void TKLTMainForm::EditClipboard(TTextEdit edit) {
    QMdiSubWindow* window = mdiArea_->currentSubWindow();
    QWidget* focus = QApplication::focusWidget();
    if (window == nullptr || focus == nullptr || !window->isAncestorOf(focus)) {
        return;
    }
    if (edit == TTextEdit::Paste) {
        const QMimeData* clip = QApplication::clipboard()->mimeData();
        if (clip == nullptr || !clip->hasText()) {
            return;
        }
    }
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(focus)) {
        focus = spin->findChild<QLineEdit*>();
    }
    if (auto* line = qobject_cast<QLineEdit*>(focus)) {
        EditText(*line, edit);
    } else if (auto* text = qobject_cast<QTextEdit*>(focus)) {
        EditText(*text, edit);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(focus)) {
        EditText(*plain, edit);
    }
}

} // namespace klt

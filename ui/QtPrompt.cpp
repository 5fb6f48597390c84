#include "ui/QtPrompt.h"

#include <QApplication>
#include <QMessageBox>

namespace klt {
namespace {

QMessageBox::StandardButtons ButtonsOf(TPromptButtons buttons) {
    switch (buttons) {
    case TPromptButtons::Ok: return QMessageBox::Ok;
    case TPromptButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case TPromptButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case TPromptButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case TPromptButtons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

TPromptAnswer AnswerOf(int button) {
    switch (button) {
    case QMessageBox::Yes: return TPromptAnswer::Yes;
    case QMessageBox::No: return TPromptAnswer::No;
    case QMessageBox::Retry: return TPromptAnswer::Retry;
    case QMessageBox::Ok: return TPromptAnswer::Ok;
    default: return TPromptAnswer::Cancel;
    }
}

} // namespace

TPromptAnswer TQtPrompt::Ask(const std::string& caption, const std::string& text, TPromptButtons buttons) {
    QMessageBox box(QMessageBox::Warning, QString::fromStdString(caption), QString::fromStdString(text),
                    ButtonsOf(buttons), QApplication::activeWindow());
    return AnswerOf(box.exec());
}

void TQtPrompt::ShowMessage(const std::string& caption, const std::string& text) {
    QMessageBox box(QMessageBox::Information, QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

} // namespace klt

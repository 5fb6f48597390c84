#include "ui/KLTApplication.h"

#include <QEvent>
#include <exception>
#include <string>

#include "core/Prompt.h"

namespace klt {
namespace {

void Refuse(QEvent* event, const std::string& message) {
    if (event->type() == QEvent::Close) {
        event->ignore();
    }
    Prompt().ShowMessage("Warning", message);
}

} // namespace

TKLTApplication::TKLTApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TKLTApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        Refuse(event, e.what());
    } catch (...) {
        Refuse(event, "An unknown error occurred");
    }
    return false;
}

} // namespace klt

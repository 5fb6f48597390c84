#include "ui/ModalWindow.h"

#include <QEvent>
#include <QEventLoop>
#include <QWidget>

namespace klt {
namespace {

// Ends the wait once the window is hidden, which a close it accepts does.
class THiddenWatch : public QObject {
public:
    explicit THiddenWatch(QEventLoop& loop) : loop_(loop) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide) {
            loop_.quit();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QEventLoop& loop_;
};

} // namespace

void RunModal(QWidget& window) {
    QEventLoop loop;
    THiddenWatch watch(loop);
    window.installEventFilter(&watch);
    window.setWindowModality(Qt::ApplicationModal);
    window.show();
    loop.exec();
    window.removeEventFilter(&watch);
}

} // namespace klt

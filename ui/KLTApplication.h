#pragma once
// The program's application object: no failure leaves an event handler to end the program.
#include <QApplication>

namespace klt {

class TKLTApplication : public QApplication {
    Q_OBJECT

public:
    TKLTApplication(int& argc, char** argv);

    // Delivers the event; a failure inside its handler is shown to the user ("Warning"), and a
    // close it interrupted is refused, so that nothing unsaved goes with the window.
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace klt

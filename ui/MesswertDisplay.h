#pragma once
// What the controls bound to a measurement kind share: the notice that units or the palette
// changed, and the kind's slot colour on a widget's text.
#include <QColor>
#include <QDate>
#include <QObject>
#include <QString>
#include <QTime>
#include <string>

#include "core/PRMesWrt.h"

class QWidget;

namespace klt {

// One per program. Whoever changes units or the palette (the configuration's apply step) calls
// Notify, and every bound control shows itself anew.
class TMesswertDisplayNotifier : public QObject {
    Q_OBJECT

public:
    static TMesswertDisplayNotifier& Instance();
    void Notify() { emit Changed(); }

signals:
    void Changed();
};

// The kind's slot colour; invalid for kinds without a colour of their own.
QColor MesswertColour(TMesswertArtType kind);

// The widget's text (labels, edits, group box titles) in the kind's slot colour.
void ApplyMesswertColour(QWidget& widget, TMesswertArtType kind);

// Days since 1880 as a calendar date, and back.
QDate DateOfDays(uint16_t days);
uint16_t DaysOfDate(const QDate& date);
// A time of day in 1/100 s (clamped into the day) as a clock time, and back.
QTime TimeOfDay(int32_t hundredths);
int32_t Hundredths(const QTime& time);

// The long part of a hint of the form "short|long".
QString LongHint(const std::string& hint);

inline QString ToQString(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace klt

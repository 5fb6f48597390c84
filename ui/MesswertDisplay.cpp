#include "ui/MesswertDisplay.h"

#include <QPalette>
#include <QWidget>

#include "core/KLTDate.h"
#include "core/MesswertColours.h"

#include <algorithm>

namespace klt {

TMesswertDisplayNotifier& TMesswertDisplayNotifier::Instance() {
    static TMesswertDisplayNotifier notifier;
    return notifier;
}

QColor MesswertColour(TMesswertArtType kind) {
    const int slot = kind == mwaNone ? 0 : MesswertArt(kind).ColourSlot();
    if (slot == 0) {
        return {};
    }
    const TRgb rgb = SlotColour(slot);
    return {rgb.red, rgb.green, rgb.blue};
}

void ApplyMesswertColour(QWidget& widget, TMesswertArtType kind) {
    const QColor colour = MesswertColour(kind);
    if (!colour.isValid()) {
        widget.setPalette(QPalette()); // no colour of its own: the style's text colour
        return;
    }
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget.setPalette(palette);
}

QDate DateOfDays(uint16_t days) {
    return QDate(1880, 1, 1).addDays(days);
}

uint16_t DaysOfDate(const QDate& date) {
    return static_cast<uint16_t>(std::clamp<qint64>(QDate(1880, 1, 1).daysTo(date), 0, kNoDate - 1));
}

QTime TimeOfDay(int32_t hundredths) {
    return QTime(0, 0).addMSecs(static_cast<int>(std::clamp<int32_t>(hundredths, 0, 8639999) * 10));
}

int32_t Hundredths(const QTime& time) {
    return time.msecsSinceStartOfDay() / 10;
}

QString LongHint(const std::string& hint) {
    const size_t bar = hint.find('|');
    return ToQString(bar == std::string::npos ? hint : hint.substr(bar + 1));
}

} // namespace klt

#pragma once
// A date limit of a filter: typed, or picked from a calendar that opens at the date shown (today
// when there is none); empty means no limit. Every complete date counts at once.
#include <QDate>
#include <QCalendarWidget>
#include <QPointer>
#include <QWidget>

class QLineEdit;
class QToolButton;

namespace klt {

class TDateFilterEdit : public QWidget {
    Q_OBJECT

public:
    explicit TDateFilterEdit(QWidget* parent = nullptr);

    // Invalid when there is no limit.
    QDate Date() const { return date_; }
    // Shows the date (invalid: none) without announcing it.
    void SetDate(const QDate& date);
    // No limit, announced.
    void Clear();
    // Opens the calendar below the field (also Alt+Down in the field).
    void OpenCalendar();

    QLineEdit& Field() const { return *field_; }
    // The calendar, while it is open; null otherwise.
    QCalendarWidget* Calendar() const { return calendar_; }

signals:
    void DateChanged(const QDate& date);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void TextEdited(const QString& text);
    void Take(const QDate& date);

    QLineEdit* field_ = nullptr;
    QToolButton* calendarButton_ = nullptr;
    QPointer<QCalendarWidget> calendar_; // while it is open
    QDate date_;
};

} // namespace klt

#include "ui/DateFilterEdit.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QToolButton>

#include "ui/MesswertDisplay.h"

namespace klt {
namespace {

const QString kShownFormat = "yyyy-MM-dd";

// Training dates are days since 1880 in 16 bits.
bool IsTrainingDate(const QDate& date) {
    return date.isValid() && date >= DateOfDays(0) && date <= DateOfDays(0xFFFE);
}

// The date a typed text stands for: the shown form, or the user's own short form.
QDate ParseDate(const QString& text) {
    const QString trimmed = text.trimmed();
    for (const QString& format : {kShownFormat, QString("yyyy-M-d"), QLocale().dateFormat(QLocale::ShortFormat),
                                  QString("d.M.yyyy"), QString("d/M/yyyy")}) {
        const QDate date = QDate::fromString(trimmed, format);
        if (IsTrainingDate(date)) {
            return date;
        }
    }
    return {};
}

} // namespace

TDateFilterEdit::TDateFilterEdit(QWidget* parent) : QWidget(parent) {
    field_ = new QLineEdit(this);
    field_->setPlaceholderText(tr("(any date)"));
    field_->setToolTip(tr("A date such as %1; empty for any date; Alt+Down opens the calendar")
                           .arg(QDate::currentDate().toString(kShownFormat)));
    field_->setClearButtonEnabled(true);
    field_->installEventFilter(this);
    field_->setMinimumWidth(field_->fontMetrics().horizontalAdvance("0000-00-00") * 3 / 2);
    setFocusProxy(field_);
    calendarButton_ = new QToolButton(this);
    calendarButton_->setText("...");
    calendarButton_->setToolTip(tr("Choose the date from a calendar"));
    calendarButton_->setFocusPolicy(Qt::NoFocus);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(field_, 1);
    layout->addWidget(calendarButton_);

    connect(field_, &QLineEdit::textChanged, this, &TDateFilterEdit::TextEdited);
    connect(calendarButton_, &QToolButton::clicked, this, &TDateFilterEdit::OpenCalendar);
}

void TDateFilterEdit::SetDate(const QDate& date) {
    date_ = IsTrainingDate(date) ? date : QDate();
    const QSignalBlocker block(field_);
    field_->setText(date_.isValid() ? date_.toString(kShownFormat) : QString());
    field_->setPalette(QPalette());
}

void TDateFilterEdit::Clear() {
    field_->clear();
}

void TDateFilterEdit::TextEdited(const QString& text) {
    const QDate date = ParseDate(text);
    const bool complete = text.trimmed().isEmpty() || date.isValid();
    // A text that is no date yet keeps the list as it is and says so in its colour.
    QPalette palette;
    if (!complete) {
        palette.setColor(QPalette::Text, Qt::red);
    }
    field_->setPalette(palette);
    if (complete) {
        Take(date);
    }
}

void TDateFilterEdit::Take(const QDate& date) {
    if (date == date_) {
        return;
    }
    date_ = date;
    emit DateChanged(date_);
}

void TDateFilterEdit::OpenCalendar() {
    if (calendar_ != nullptr) {
        return;
    }
    calendar_ = new QCalendarWidget(this);
    calendar_->setWindowFlags(Qt::Popup);
    calendar_->setAttribute(Qt::WA_DeleteOnClose);
    calendar_->setDateRange(DateOfDays(0), DateOfDays(0xFFFE));
    calendar_->setSelectedDate(date_.isValid() ? date_ : QDate::currentDate());
    connect(calendar_, &QCalendarWidget::clicked, this, [this](const QDate& date) {
        field_->setText(date.toString(kShownFormat));
        calendar_->close();
    });
    connect(calendar_, &QCalendarWidget::activated, calendar_, &QCalendarWidget::clicked);
    calendar_->move(mapToGlobal(QPoint(0, height())));
    calendar_->show();
    calendar_->setFocus();
}

bool TDateFilterEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == field_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Down && key->modifiers() == Qt::AltModifier) {
            OpenCalendar();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace klt

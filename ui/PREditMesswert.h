#pragma once
// An edit for one value of a measurement kind, typed and shown in the kind's current unit and
// kept in raw units; the arrows and cursor keys step it by the last shown decimal (Shift ten,
// Alt a hundred, both a thousand steps at a time).
#include <QAbstractSpinBox>
#include <functional>

#include "core/MesswertEditValue.h"

namespace klt {

class TPREditMesswert : public QAbstractSpinBox {
    Q_OBJECT

public:
    explicit TPREditMesswert(TMesswertArtType kind = mwaNone, QWidget* parent = nullptr);

    TMesswertArtType MesswertArtType() const { return edit_.Kind(); }
    void SetMesswertArtType(TMesswertArtType kind);
    void SetMesswertNKSt(int decimals);
    void SetMesswertTSep(bool withThousands);
    // Accepted raw range; a typed value outside it is replaced by the nearer limit.
    void SetMesswertMin(double raw);
    void SetMesswertMax(double raw);
    double MesswertMin() const { return edit_.Minimum(); }
    double MesswertMax() const { return edit_.Maximum(); }

    // The raw value, taking over what was typed first.
    double Value();
    void SetValue(double raw);

    // Lets the owner step instead (a scale steps its own way); `count` is signed and accelerated.
    void SetStepHandler(std::function<void(int count)> handler) { stepHandler_ = std::move(handler); }

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;
    QSize sizeHint() const override;

signals:
    // The user typed or stepped a new value (raw).
    void ValueEdited(double raw);

protected:
    StepEnabled stepEnabled() const override;

private:
    // Reads the typed text; a conversion error is shown and the last value comes back.
    void Commit();
    void Show();
    void Refresh();

    TMesswertEditValue edit_;
    double raw_ = 0.0;
    bool committing_ = false;
    std::function<void(int)> stepHandler_;
};

} // namespace klt

#pragma once
// Labels bound to a measurement kind: its unit, its name, or a value in its unit, each in the
// kind's colour and shown anew when units or the palette change.
#include <QLabel>

#include "core/PRMesWrt.h"

namespace klt {

class TPRMesswertLabel : public QLabel {
    Q_OBJECT

public:
    TMesswertArtType MesswertArtType() const { return kind_; }
    void SetMesswertArtType(TMesswertArtType kind);

protected:
    TPRMesswertLabel(TMesswertArtType kind, QWidget* parent);
    // The text for the kind as it is now.
    virtual std::string Text() const = 0;
    void Refresh();

private:
    TMesswertArtType kind_;
};

// The current unit: long, short or both names; `accelerator` marks a character of it.
class TPRLabelMesswertUnit : public TPRMesswertLabel {
    Q_OBJECT

public:
    explicit TPRLabelMesswertUnit(TMesswertArtType kind = mwaNone, QWidget* parent = nullptr);
    void SetMesswertArtFormat(TMesswertArtFormat format);
    void SetMesswertAccelChar(char accelerator);

protected:
    std::string Text() const override;

private:
    TMesswertArtFormat format_ = mwfShort;
    char accelerator_ = ' ';
};

// The kind's name (plain, average or maximum) followed by ":", right-aligned.
class TPRLabelMesswertName : public TPRMesswertLabel {
    Q_OBJECT

public:
    explicit TPRLabelMesswertName(TMesswertArtType kind = mwaNone, QWidget* parent = nullptr);
    void SetMesswertArtName(TMesswertArtName name);
    void SetMesswertArtFormat(TMesswertArtFormat format);

protected:
    std::string Text() const override;

private:
    TMesswertArtName name_ = mwnAny;
    TMesswertArtFormat format_ = mwfLong;
};

// A raw value in the kind's unit, right-aligned.
class TPRLabelMesswert : public TPRMesswertLabel {
    Q_OBJECT

public:
    explicit TPRLabelMesswert(TMesswertArtType kind = mwaNone, QWidget* parent = nullptr);
    double Value() const { return raw_; }
    void SetValue(double raw);
    void SetMesswertNKSt(int decimals);
    void SetMesswertTSep(bool withThousands);

protected:
    std::string Text() const override;

private:
    double raw_ = 0.0;
    int decimals_ = -1;
    bool withThousands_ = false;
};

} // namespace klt

#pragma once
// A drop-down of the units of a measurement kind; the chosen index is the unit index the
// configuration stores.
#include <QComboBox>

#include "core/PRMesWrt.h"

namespace klt {

class TPRComboBoxMesswertUnit : public QComboBox {
    Q_OBJECT

public:
    explicit TPRComboBoxMesswertUnit(TMesswertArtType kind = mwaNone, QWidget* parent = nullptr);

    TMesswertArtType MesswertArtType() const { return kind_; }
    void SetMesswertArtType(TMesswertArtType kind);
    // How the units are named in the list: long, short or both names.
    void SetMesswertArtFormat(TMesswertArtFormat format);

    int UnitIndex() const { return currentIndex(); }
    void SetUnitIndex(int index);

private:
    void Refresh();

    TMesswertArtType kind_;
    TMesswertArtFormat format_ = mwfLong;
};

} // namespace klt

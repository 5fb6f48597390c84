#include "ui/PRComboBoxMesswertUnit.h"

#include "core/Texts.h"
#include "ui/MesswertDisplay.h"

namespace klt {
namespace {

constexpr int TextSetUnitsFor = 285;

} // namespace

TPRComboBoxMesswertUnit::TPRComboBoxMesswertUnit(TMesswertArtType kind, QWidget* parent)
    : QComboBox(parent), kind_(kind) {
    connect(&TMesswertDisplayNotifier::Instance(), &TMesswertDisplayNotifier::Changed, this,
            &TPRComboBoxMesswertUnit::Refresh);
    Refresh();
    SetUnitIndex(kind == mwaNone ? -1 : MesswertArt(kind).UnitIndex());
}

void TPRComboBoxMesswertUnit::SetMesswertArtType(TMesswertArtType kind) {
    kind_ = kind;
    Refresh();
    SetUnitIndex(kind == mwaNone ? -1 : MesswertArt(kind).UnitIndex());
}

void TPRComboBoxMesswertUnit::SetMesswertArtFormat(TMesswertArtFormat format) {
    format_ = format;
    Refresh();
}

void TPRComboBoxMesswertUnit::SetUnitIndex(int index) {
    setCurrentIndex(index >= 0 && index < count() ? index : 0);
}

void TPRComboBoxMesswertUnit::Refresh() {
    const int chosen = currentIndex();
    clear();
    if (kind_ == mwaNone) {
        return;
    }
    // A copy names every unit without touching the unit the program shows values in.
    TMesswertArt kind = MesswertArt(kind_);
    const std::vector<std::string> names = kind.UnitNames();
    for (int i = 0; i < static_cast<int>(names.size()); ++i) {
        kind.SetUnit(i);
        addItem(ToQString(format_ == mwfLong ? names[static_cast<size_t>(i)] : kind.FormattedUnit(format_)));
    }
    const QString hint = ToQString(FormatText(LoadText(TextSetUnitsFor), {MesswertArt(kind_).Name()}));
    setToolTip(hint);
    setStatusTip(hint);
    ApplyMesswertColour(*this, kind_);
    SetUnitIndex(chosen);
}

} // namespace klt

#include "app/DataEditModel.h"

#include <array>

#include "core/NumberFormat.h"

namespace klt {
namespace {

constexpr std::array<const char*, TData::kChannelCount> kRowNames = {"Power", "Heartrate", "Cadence",
                                                                     "Speed", "Altitude",  "Temperatur"};
// Rows that take values below zero: a valley below sea level, a winter ride.
bool TakesNegatives(int row) {
    return row == dcAltitude || row == dcTemperature;
}

} // namespace

int TDataEditModel::RowCount() const {
    return data_.Header().Version() >= '7' ? TData::kChannelCount : dcAltitude;
}

std::string TDataEditModel::RowName(int row) {
    return row >= 0 && row < TData::kChannelCount ? kRowNames[static_cast<size_t>(row)] : "";
}

std::string TDataEditModel::CellText(int row, int column) const {
    if (auto it = typed_.find({row, column}); it != typed_.end()) {
        return it->second;
    }
    if (column < 0 || column >= data_.SampleCount()) {
        return {};
    }
    return data_.Sample(column).Text(row, units_);
}

std::optional<double> TDataEditModel::AcceptedValue(int row, const std::string& text) {
    std::optional<double> value = ParseFloat(text, FormatSettings());
    const std::string& separator = FormatSettings().decimalSeparator;
    if (!value && text.size() > separator.size() && text.ends_with(separator)) {
        value = ParseFloat(text + "0", FormatSettings()); // "12," while the decimals are still coming
    }
    if (!value || !TData::IsChannel(row)) {
        return std::nullopt;
    }
    const double v = *value;
    switch (row) {
    case dcPower:
        return v >= 0 && v <= 4095 ? value : std::nullopt;
    case dcHeartRate:
    case dcCadence:
    case dcSpeed:
        return v >= 0 && v <= 255 ? value : std::nullopt;
    default: // altitude and temperature
        return value;
    }
}

bool TDataEditModel::IsUnfinished(int row, const std::string& text) {
    return text.empty() || (TakesNegatives(row) && text == "-");
}

template <class Edit> bool TDataEditModel::Input(int row, const std::vector<int>& columns, Edit edit) {
    if (row < 0 || row >= RowCount()) {
        return false;
    }
    bool changed = false;
    for (int column : columns) {
        if (column < 0 || column >= data_.SampleCount()) {
            continue;
        }
        const std::string text = edit(CellText(row, column));
        if (IsUnfinished(row, text)) {
            typed_[{row, column}] = text;
            changed = true;
            continue;
        }
        const std::optional<double> value = AcceptedValue(row, text);
        if (!value) {
            continue; // invalid input is ignored
        }
        const std::optional<int> stored = TData::ValueFromDisplay(row, *value, units_);
        if (!stored) {
            continue;
        }
        // The module carries the difference into the running sums of this and every later sample.
        if (*stored != data_.Sample(column).Value(row)) {
            data_.SetValue(column, row, *stored);
        }
        typed_[{row, column}] = text;
        changed = true;
    }
    return changed;
}

bool TDataEditModel::TypeCharacter(int row, const std::vector<int>& columns, char character) {
    const bool replace = typed_.empty();
    return Input(row, columns, [&](const std::string& text) {
        return replace ? std::string(1, character) : text + character;
    });
}

bool TDataEditModel::Backspace(int row, const std::vector<int>& columns) {
    return Input(row, columns, [](std::string text) {
        if (!text.empty()) {
            text.pop_back();
        }
        return text;
    });
}

void TDataEditModel::EndTyping() {
    typed_.clear();
}

} // namespace klt

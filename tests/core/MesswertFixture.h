#pragma once
// Measurement kinds are process-wide: tests that change units or separators get English
// separators and put every kind's unit back when they end.
#include "core/NumberFormat.h"
#include "core/PRMesWrt.h"

#include <array>
#include <gtest/gtest.h>

namespace klt {

class MesswertFixture : public ::testing::Test {
protected:
    MesswertFixture() {
        for (int kind = mwaLeistung; kind <= MesswertArtCount; ++kind) {
            savedUnits_[kind - 1] = Art(kind).UnitIndex();
            Art(kind).SetUnit(0);
        }
    }
    ~MesswertFixture() override {
        for (int kind = mwaLeistung; kind <= MesswertArtCount; ++kind) {
            Art(kind).SetUnit(savedUnits_[kind - 1]);
        }
    }

    static TMesswertArt& Art(int kind) { return MesswertArt(static_cast<TMesswertArtType>(kind)); }

private:
    TFormatSettingsScope separators_{TFormatSettings{".", ","}};
    std::array<int, MesswertArtCount> savedUnits_{};
};

} // namespace klt

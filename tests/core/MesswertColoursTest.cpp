#include "core/MesswertColours.h"

#include "core/Exceptions.h"
#include "core/PRMesWrt.h"

#include <gtest/gtest.h>

namespace klt {
namespace {

constexpr TRgb WindowText{0x11, 0x22, 0x33};

class SlotColoursTest : public ::testing::Test {
protected:
    ~SlotColoursTest() override { RebuildSlotColours(0, false, TRgb{}); }
};

TEST_F(SlotColoursTest, ColouredKindsGetTheirPaletteColour) {
    RebuildSlotColours(2, false, WindowText);
    EXPECT_EQ(SlotColour(MesswertArt(mwaLeistung).ColourSlot()), PaletteColour(9));
    EXPECT_EQ(SlotColour(MesswertArt(mwaHoehe).ColourSlot()), PaletteColour(13));
    EXPECT_EQ(SlotColour(0), WindowText);
    EXPECT_NE(SlotColour(SlotRegressionLine), WindowText);
    for (int slot = SlotTimeOrderFirst; slot < SlotTimeOrderLast; ++slot) {
        EXPECT_NE(SlotColour(slot), SlotColour(slot + 1)) << "the order of time shows";
    }
}

TEST_F(SlotColoursTest, HighPaletteOptionsAndMonochromeUseTheWindowText) {
    for (auto [option, monochrome] : {std::pair{3, false}, std::pair{0, true}}) {
        RebuildSlotColours(option, monochrome, WindowText);
        for (int slot = 0; slot < ColourSlotCount; ++slot) {
            EXPECT_EQ(SlotColour(slot), WindowText) << option << monochrome << slot;
        }
    }
}

TEST_F(SlotColoursTest, ColoursOutsideTheTablesAreRangeErrors) {
    EXPECT_THROW(SlotColour(ColourSlotCount), ERangeError);
    EXPECT_THROW(SlotColour(-1), ERangeError);
    EXPECT_THROW(PaletteColour(PaletteSize), ERangeError);
    EXPECT_THROW(PaletteColour(NoColour), ERangeError);
}

} // namespace
} // namespace klt

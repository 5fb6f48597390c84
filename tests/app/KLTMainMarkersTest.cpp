#include "app/KLTMainMarkers.h"
#include "core/KLTFile.h"

#include "tests/support/MemoryTraining.h"
#include "tests/support/ScriptedPrompt.h"

#include <gtest/gtest.h>

namespace klt {
namespace {

TEST(KLTMainMarkers, PopupOffersEditAndDeleteOnlyForMarkersAfterTheFirst) {
    EXPECT_FALSE(MarkerPopupState(-2).canCreate);
    EXPECT_TRUE(MarkerPopupState(-1).canCreate);
    EXPECT_FALSE(MarkerPopupState(-1).canEdit);
    EXPECT_TRUE(MarkerPopupState(0).canCreate);
    EXPECT_FALSE(MarkerPopupState(0).canDelete);
    EXPECT_TRUE(MarkerPopupState(1).canEdit);
    EXPECT_TRUE(MarkerPopupState(1).canDelete);
}

TEST(KLTMainMarkers, NewMarkerStartsFromTheSelectionStartOrEnd) {
    TKLTFile file;
    test::FillTraining(file, 50);
    file.SetSelection(true, 10, 20);
    SelectNewMarkerSample(file, -1);
    EXPECT_EQ(file.SelectionFirst(), 10);
    EXPECT_EQ(file.SelectionLast(), 10);
    file.SetSelection(true, 10, 20);
    SelectNewMarkerSample(file, 2);
    EXPECT_EQ(file.SelectionFirst(), 20);
    EXPECT_EQ(file.SelectionLast(), 20);
    file.SetSelection(false, 0, 0);
}

TEST(KLTMainMarkers, DeletingAsksWithTheNameAndCollapsesTheSelection) {
    TKLTFile file;
    test::FillTraining(file, 50);
    file.AddMarker(TKLTMarker("Sprint", 5, 9));
    file.SetSelection(true, 10, 20);
    {
        test::TScriptedPrompt prompt({TPromptAnswer::No, TPromptAnswer::Yes});
        EXPECT_FALSE(ConfirmMarkerDeletion(file, 0));
        EXPECT_FALSE(ConfirmMarkerDeletion(file, 2));
        EXPECT_FALSE(ConfirmMarkerDeletion(file, 1));
        EXPECT_TRUE(ConfirmMarkerDeletion(file, 1));
        ASSERT_EQ(prompt.shown.size(), 2u);
        EXPECT_EQ(prompt.shown[0].caption, "Warning");
        EXPECT_EQ(prompt.shown[0].text, "Do you really want to delete marker 'Sprint'?");
    }
    DeleteMarker(file, 1);
    EXPECT_EQ(file.MarkerCount(), 1);
    EXPECT_EQ(file.SelectionFirst(), 20);
    file.SetSelection(false, 0, 0);
}

TEST(KLTMainMarkers, WindowsMoveOffTheDeletedMarker) {
    EXPECT_EQ(CurrentMarkerAfterDeletion(3, 3), 0);
    EXPECT_EQ(CurrentMarkerAfterDeletion(4, 3), 3);
    EXPECT_EQ(CurrentMarkerAfterDeletion(2, 3), 2);
    EXPECT_EQ(CurrentMarkerAfterDeletion(0, 1), 0);
}

} // namespace
} // namespace klt

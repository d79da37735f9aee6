#include "platform/qt_dialog_service.h"

#include <gtest/gtest.h>

TEST(QtDialogService, FiltersNameTheirPatternsOnce)
{
    EXPECT_EQ(toQtFilter("VOZ-Projekt|*.ppr"), "VOZ-Projekt (*.ppr)");
    EXPECT_EQ(toQtFilter("Bitmaps (*.bmp)|*.bmp"), "Bitmaps (*.bmp)");
    EXPECT_EQ(toQtFilter("Bilder|*.bmp;*.jpg|Alle|*.*"), "Bilder (*.bmp *.jpg);;Alle (*.*)");
}

TEST(QtDialogService, AFontChoiceKeepsAStoredFamilyTheMachineLacks)
{
    // "Arial" shown as its stand-in and only the size changed: the plan keeps "Arial".
    EXPECT_EQ(ChosenFontFamily("Arial", "Sans Serif", "Sans Serif"), "Arial");
    EXPECT_EQ(ChosenFontFamily("Arial", "Sans Serif", "DejaVu Serif"), "DejaVu Serif");
    EXPECT_EQ(ChosenFontFamily("", "Sans Serif", "Sans Serif"), "Sans Serif");
}

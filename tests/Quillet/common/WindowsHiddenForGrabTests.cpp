#include "Quillet/common/WindowsHiddenForGrab.hpp"

#include <QDialog>
#include <QWidget>

#include <gtest/gtest.h>

namespace quillet {
namespace {

// The program's own windows leave the picture and come back, a pop-up closes for good, and a dialog
// the user is answering (the folder chooser) stays open with its answer still to come.
TEST(WindowsHiddenForGrab, HidesOwnWindowsButNeverEndsADialogTheUserIsAnswering)
{
    QWidget panel;
    panel.show();
    QWidget popup(nullptr, Qt::Popup);
    popup.show();
    QDialog chooser;
    chooser.setWindowModality(Qt::ApplicationModal);
    int finished = 0;
    QObject::connect(&chooser, &QDialog::finished, [&finished] { ++finished; });
    chooser.open();
    {
        const WindowsHiddenForGrab hidden;
        EXPECT_TRUE(hidden.hidAny());
        EXPECT_FALSE(panel.isVisible());
        EXPECT_FALSE(popup.isVisible());
        EXPECT_TRUE(chooser.isVisible());
    }
    EXPECT_TRUE(panel.isVisible());
    EXPECT_FALSE(popup.isVisible());
    EXPECT_TRUE(chooser.isVisible());
    EXPECT_EQ(finished, 0) << "the dialog was ended by the grab";
}

} // namespace
} // namespace quillet

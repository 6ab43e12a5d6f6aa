#include "Quillet/shortcuts/ShortcutKeyMonitor.hpp"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace quillet {
namespace {

using brindle::Shortcut;

constexpr auto shiftCommand = Shortcut::modifierMask({.command = true, .shift = true});

// A key press as the X server reports it: the key's native code at its place on the keyboard.
QKeyEvent keyPress(int key, std::uint32_t virtualKeyCode, Qt::KeyboardModifiers modifiers = {})
{
    const auto positions = brindle::KeyboardPositions::current();
    const auto native = positions.nativeKeyCode(virtualKeyCode).value_or(0);
    return QKeyEvent(QEvent::KeyPress, key, modifiers, native, 0, 0);
}

TEST(ShortcutKeyMonitor, KeyPressesBecomeEditsOfTheEditedAction)
{
    struct Case {
        const char* name;
        QKeyEvent event;
        std::optional<ShortcutEdit> edit;
    };
    const Case cases[] = {
        {"bare Escape", keyPress(Qt::Key_Escape, 53), ShortcutEdit::cancel()},
        {"bare Delete", keyPress(Qt::Key_Backspace, 51), ShortcutEdit::set({23, shiftCommand})},
        {"Super+Shift+4", keyPress(Qt::Key_Dollar, 21, Qt::MetaModifier | Qt::ShiftModifier),
         ShortcutEdit::set({21, shiftCommand})},
        {"Alt+A", keyPress(Qt::Key_A, 0, Qt::AltModifier), ShortcutEdit::set({0, Shortcut::optionMask})},
        {"Shift+A", keyPress(Qt::Key_A, 0, Qt::ShiftModifier), ShortcutEdit::reject()},
        {"Shift+Escape", keyPress(Qt::Key_Escape, 53, Qt::ShiftModifier), ShortcutEdit::reject()},
        {"a key without a place", QKeyEvent(QEvent::KeyPress, Qt::Key_LaunchMail, Qt::MetaModifier, 0, 0, 0),
         ShortcutEdit::reject()},
        {"Shift alone", QKeyEvent(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier, 50, 0, 0),
         std::nullopt},
        {"Super alone", QKeyEvent(QEvent::KeyPress, Qt::Key_Super_L, Qt::MetaModifier, 133, 0, 0),
         std::nullopt},
    };
    const ShortcutKeyMonitor monitor(CaptureAction::recording, [](const ShortcutEdit&) {});
    for (const auto& testCase : cases) {
        EXPECT_EQ(monitor.edit(testCase.event), testCase.edit) << testCase.name;
    }
}

TEST(ShortcutKeyMonitor, SwallowsEveryKeyPressWhileItLives)
{
    QLineEdit field;
    std::vector<ShortcutEdit> edits;
    auto monitor = std::make_unique<ShortcutKeyMonitor>(CaptureAction::area,
                                                        [&](const ShortcutEdit& e) { edits.push_back(e); });

    QKeyEvent typed(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, 38, 0, 0, QStringLiteral("a"));
    QApplication::sendEvent(&field, &typed);
    QKeyEvent shift(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier, 50, 0, 0);
    QApplication::sendEvent(&field, &shift);
    EXPECT_TRUE(field.text().isEmpty());
    EXPECT_EQ(edits, (std::vector<ShortcutEdit>{ShortcutEdit::reject()}));

    QKeyEvent override(QEvent::ShortcutOverride, Qt::Key_A, Qt::ControlModifier, 38, 0, 0);
    override.ignore();
    QApplication::sendEvent(&field, &override);
    EXPECT_TRUE(override.isAccepted()) << "claimed, so no window shortcut fires";

    monitor.reset();
    QKeyEvent later(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, 38, 0, 0, QStringLiteral("a"));
    QApplication::sendEvent(&field, &later);
    EXPECT_EQ(field.text(), "a");
    EXPECT_EQ(edits.size(), 1U);
}

TEST(ShortcutKeyMonitor, TheHandlerMayEndTheMonitor)
{
    QLineEdit field;
    std::unique_ptr<ShortcutKeyMonitor> monitor;
    int edits = 0;
    monitor = std::make_unique<ShortcutKeyMonitor>(CaptureAction::screen, [&](const ShortcutEdit&) {
        ++edits;
        monitor.reset();
    });
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, 9, 0, 0);
    QApplication::sendEvent(&field, &escape);
    EXPECT_EQ(edits, 1);
    EXPECT_EQ(monitor, nullptr);
    QKeyEvent typed(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, 56, 0, 0, QStringLiteral("b"));
    QApplication::sendEvent(&field, &typed);
    EXPECT_EQ(field.text(), "b");
}

} // namespace
} // namespace quillet

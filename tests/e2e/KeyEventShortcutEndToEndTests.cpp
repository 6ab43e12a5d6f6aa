#include "Brindle/KeyEventShortcut.hpp"
#include "Brindle/KeyboardPositions.hpp"

#include "tests/support/WaitFor.hpp"

#include <QKeyEvent>
#include <QProcess>
#include <QWidget>

#include <gtest/gtest.h>
#include <optional>

namespace brindle {
namespace {

// Records the first key press that is not a modifier key alone.
class KeyRecorder : public QWidget {
public:
    explicit KeyRecorder(const KeyboardPositions& positions) : positions_(positions)
    {
        setFocusPolicy(Qt::StrongFocus);
    }

    std::optional<Shortcut> shortcut;
    bool pressed = false;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (auto typed = KeyEventShortcut::shortcut(*event, positions_); typed && !pressed) {
            shortcut = typed;
            pressed = true;
        }
    }

private:
    const KeyboardPositions& positions_;
};

TEST(KeyboardPositionsOnX11, TheServersKeymapPlacesKeysLikeTheTable)
{
    const auto positions = KeyboardPositions::current();
    ASSERT_FALSE(positions.isEmpty());
    EXPECT_EQ(positions.nativeKeyCode(20), 12U) << "3 is <AE03>, X key code 12";
    EXPECT_EQ(positions.nativeKeyCode(0), 38U) << "A is <AC01>";
    EXPECT_EQ(positions.virtualKeyCode(9), 53U) << "<ESC> is Escape";
}

struct TypedCase {
    const char* xdotoolKeys;
    Shortcut expected;

    friend void PrintTo(const TypedCase& c, std::ostream* out) { *out << c.xdotoolKeys; }
};

class TypedOnX11 : public testing::TestWithParam<TypedCase> {};

TEST_P(TypedOnX11, RealKeyPressBecomesTheShortcutOfThatKey)
{
    const auto positions = KeyboardPositions::current();
    KeyRecorder recorder(positions);
    recorder.resize(200, 100);
    recorder.show();
    recorder.activateWindow();
    recorder.setFocus();
    ASSERT_TRUE(quillet::testing::waitFor([&] { return recorder.isActiveWindow(); }));

    QProcess xdotool;
    xdotool.start("xdotool", {"key", "--clearmodifiers", GetParam().xdotoolKeys});
    ASSERT_TRUE(xdotool.waitForFinished(10'000));
    ASSERT_EQ(xdotool.exitCode(), 0) << xdotool.readAllStandardError().toStdString();

    ASSERT_TRUE(quillet::testing::waitFor([&] { return recorder.pressed; }));
    EXPECT_EQ(recorder.shortcut, GetParam().expected) << GetParam().xdotoolKeys;
}

INSTANTIATE_TEST_SUITE_P(Cases, TypedOnX11,
                         testing::Values(TypedCase{"super+shift+3", Shortcut{20, 0x300}},
                                         TypedCase{"alt+a", Shortcut{0, 0x800}},
                                         TypedCase{"ctrl+F12", Shortcut{111, 0x1000}},
                                         TypedCase{"BackSpace", Shortcut{51, 0}}));

} // namespace
} // namespace brindle

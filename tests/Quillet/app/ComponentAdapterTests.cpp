#include "Quillet/shortcuts/CaptureHotKeys.hpp"
#include "Quillet/thumbnails/ThumbnailStack.hpp"

#include <gtest/gtest.h>
#include <map>

namespace quillet {
namespace {

// A desktop that refuses one combination and remembers what it holds.
class FakeHotKeySystem final : public brindle::HotKeySystem {
public:
    explicit FakeHotKeySystem(brindle::Shortcut refused) : refused_(refused) {}
    bool install(Press) override { return true; }
    bool grab(std::uint32_t number, brindle::Shortcut shortcut) override
    {
        if (shortcut == refused_) {
            return false;
        }
        held[number] = shortcut;
        return true;
    }
    void ungrab(std::uint32_t number) override { held.erase(number); }

    std::map<std::uint32_t, brindle::Shortcut> held;

private:
    brindle::Shortcut refused_;
};

TEST(CaptureHotKeys, RegistersTheMapAndReportsRefusedActions)
{
    auto system = std::make_unique<FakeHotKeySystem>(defaultShortcut(CaptureAction::area));
    FakeHotKeySystem* desktop = system.get();
    brindle::HotKeyDispatcher dispatcher(std::move(system));
    CaptureHotKeys hotKeys(dispatcher);
    std::vector<CaptureAction> pressed;
    hotKeys.setOnPress([&pressed](CaptureAction action) { pressed.push_back(action); });

    hotKeys.registerShortcuts(ShortcutMap::fromStored({}));
    EXPECT_EQ(hotKeys.failed(), std::set<CaptureAction>{CaptureAction::area});
    ASSERT_EQ(desktop->held.size(), 2u);
    for (const auto& [number, shortcut] : desktop->held) {
        dispatcher.fire(number);
    }
    EXPECT_EQ(std::set<CaptureAction>(pressed.begin(), pressed.end()),
              (std::set<CaptureAction>{CaptureAction::screen, CaptureAction::recording}));

    hotKeys.unregister();
    EXPECT_TRUE(desktop->held.empty());
    EXPECT_TRUE(hotKeys.failed().empty());
}

TEST(ThumbnailStack, HandsTheStateCallsToTheStack)
{
    ThumbnailStack thumbnails;
    QImage image(20, 10, QImage::Format_RGBA8888_Premultiplied);
    image.fill(Qt::red);
    thumbnails.add(QUrl::fromLocalFile("/tmp/a.webp"), image, 2, false);
    ASSERT_EQ(thumbnails.stack().items().size(), 1u);
    const ThumbnailItem item = thumbnails.stack().items().front();
    EXPECT_EQ(item.scale, 2);

    thumbnails.replaceImage(item.id, QImage(40, 20, QImage::Format_RGBA8888_Premultiplied));
    EXPECT_EQ(thumbnails.stack().items().front().image.size(), QSize(40, 20));
    thumbnails.stack().remove(item.id);
    EXPECT_TRUE(thumbnails.stack().items().empty());
}

} // namespace
} // namespace quillet

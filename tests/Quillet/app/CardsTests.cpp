#include "Quillet/app/Cards.hpp"
#include "Quillet/common/BackgroundWork.hpp"

#include "tests/Quillet/thumbnails/FakeThumbnailDisplay.hpp"
#include "tests/support/WaitFor.hpp"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThreadPool>

#include <gtest/gtest.h>

namespace quillet {
namespace {

using testing::FakeThumbnailDisplay;

// Whether the work started since `before` (the count of work then in flight) has ended.
bool reductionsEnded(int before)
{
    return testing::waitFor([before] { return BackgroundWork::instance().pending() == before; });
}

// The reduction runs off the main thread, so a save may end before or after its card shows: either
// way the card ends as the save did, in the order the stills came.
TEST(Cards, ASaveThatEndsBeforeTheReducedCardShowsDecidesTheCardInCaptureOrder)
{
    auto owned = std::make_unique<FakeThumbnailDisplay>();
    FakeThumbnailDisplay& display = *owned;
    Cards cards(std::move(owned), nullptr);
    const int before = BackgroundWork::instance().pending();
    QImage large(2000, 1000, QImage::Format_RGB32);
    large.fill(Qt::white);
    QImage small(40, 30, QImage::Format_RGB32);
    small.fill(Qt::white);

    cards.addSaving(1, large, 2);
    cards.addSaving(2, large, 1);
    cards.addSaving(3, small, 1);
    cards.removeSaving(2); // failed before its card showed
    cards.finishSaving(1, QStringLiteral("/shots/one.webp"));
    EXPECT_TRUE(display.added.empty()) << "nothing shows before its pixels are reduced";
    ASSERT_TRUE(reductionsEnded(before));

    ASSERT_EQ(display.added.size(), 2u);
    EXPECT_EQ(display.added[0].url, QUrl::fromLocalFile(QStringLiteral("/shots/one.webp")));
    EXPECT_FALSE(display.added[0].isSaving);
    EXPECT_EQ(display.added[0].size, QSize(440, 220));
    EXPECT_EQ(display.added[0].scale, 2);
    EXPECT_TRUE(display.added[1].isSaving);
    EXPECT_EQ(display.added[1].size, QSize(40, 30));
    EXPECT_EQ(display.removed, 0) << "the failed still never had a card";

    // Shown while saving: the save's end completes or removes it.
    cards.finishSaving(3, QStringLiteral("/shots/three.webp"));
    EXPECT_EQ(display.finished(), 2u);
    cards.addSaving(4, large, 1);
    ASSERT_TRUE(reductionsEnded(before));
    ASSERT_EQ(display.added.size(), 3u);
    cards.removeSaving(4);
    EXPECT_EQ(display.added.size(), 2u);
    EXPECT_EQ(display.removed, 1);
}

// A still whose save fails while its pixels are still being reduced no longer holds back the card of
// a later still that is ready: that card shows at once. The earlier reduction is held back for good by
// taking it off the busy pool before it starts.
TEST(Cards, AFailedStillNoLongerHoldsBackTheReadyCardOfALaterOne)
{
    auto owned = std::make_unique<FakeThumbnailDisplay>();
    FakeThumbnailDisplay& display = *owned;
    Cards cards(std::move(owned), nullptr);
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::white);
    QThreadPool& pool = *QThreadPool::globalInstance();
    ASSERT_TRUE(pool.waitForDone(10'000));
    const int before = BackgroundWork::instance().pending();
    const int threads = pool.maxThreadCount();
    pool.setMaxThreadCount(1);
    QSemaphore busy;
    pool.start([&busy] { busy.acquire(); });
    cards.addSaving(1, image, 1);
    pool.clear();
    BackgroundWork::instance().end(); // the dropped reduction will never end by itself
    busy.release();
    pool.setMaxThreadCount(threads);

    cards.addSaving(2, image, 1);
    ASSERT_TRUE(reductionsEnded(before));
    EXPECT_TRUE(display.added.empty()) << "a card never shows ahead of an earlier still's";
    cards.removeSaving(1);
    ASSERT_EQ(display.added.size(), 1u);
    EXPECT_TRUE(display.added[0].isSaving);
}

// Reads what it is told to, and records that it was asked.
class FakeTextRecognizer final : public TextRecognizer {
public:
    explicit FakeTextRecognizer(std::optional<QString> text) : text_(std::move(text)) {}
    [[nodiscard]] QString unavailableReason() const override { return {}; }
    [[nodiscard]] std::optional<QString> read(const QImage& image) const override
    {
        return image.isNull() ? std::nullopt : text_;
    }

private:
    std::optional<QString> text_;
};

struct CopyRow {
    const char* title;
    bool fileExists;
    std::optional<QString> recognized; // what the recognizer reads
    std::vector<CardNotice> notices;   // what the card says, in order
    QString clipboard;                 // the clipboard's text afterwards
};

class CardsCopyText : public ::testing::TestWithParam<CopyRow> {};

// The card says it is reading at once and how it ended once the text is read off the main thread;
// only text that was found replaces the clipboard.
TEST_P(CardsCopyText, TellsTheCardHowItWentAndCopiesOnlyTextFound)
{
    const CopyRow& row = GetParam();
    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("still.png"));
    QImage still(64, 48, QImage::Format_RGB32);
    still.fill(Qt::white);
    ASSERT_TRUE(!row.fileExists || still.save(path));
    auto owned = std::make_unique<FakeThumbnailDisplay>();
    FakeThumbnailDisplay& display = *owned;
    Cards cards(std::move(owned), nullptr, std::make_shared<FakeTextRecognizer>(row.recognized));
    ASSERT_TRUE(display.onCopyText) << "a recognizer makes the cards offer Copy Text";
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    const int before = BackgroundWork::instance().pending();
    const ThumbnailItem item{QUuid::createUuid(), QUrl::fromLocalFile(path), still, 1, false, false};

    display.onCopyText(item);
    ASSERT_EQ(display.notices.size(), 1u);
    EXPECT_EQ(display.notices[0].second, CardNotice::readingText);
    ASSERT_TRUE(reductionsEnded(before));

    std::vector<CardNotice> notices;
    for (const auto& [id, notice] : display.notices) {
        EXPECT_EQ(id, item.id);
        notices.push_back(notice);
    }
    EXPECT_EQ(notices, row.notices);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), row.clipboard);
}

INSTANTIATE_TEST_SUITE_P(
    Cards, CardsCopyText,
    ::testing::Values(
        CopyRow{"found", true, QStringLiteral("Total\n\nDue"), {CardNotice::readingText, CardNotice::textCopied},
                QStringLiteral("Total\n\nDue")},
        CopyRow{"none", true, QString(), {CardNotice::readingText, CardNotice::noText}, QStringLiteral("before")},
        CopyRow{"failed", true, std::nullopt, {CardNotice::readingText, CardNotice::textFailed},
                QStringLiteral("before")},
        CopyRow{"fileGone", false, QStringLiteral("x"), {CardNotice::readingText, CardNotice::textFailed},
                QStringLiteral("before")}),
    [](const ::testing::TestParamInfo<CopyRow>& info) { return std::string(info.param.title); });

// A new capture copied by the setting goes on the clipboard as the card's Copy puts it, with no card to
// confirm it.
TEST(Cards, ANewCaptureIsCopiedAsTheCardsCopyDoes)
{
    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("still.png"));
    QImage still(64, 48, QImage::Format_RGB32);
    still.fill(Qt::red);
    ASSERT_TRUE(still.save(path));
    auto owned = std::make_unique<FakeThumbnailDisplay>();
    FakeThumbnailDisplay& display = *owned;
    Cards cards(std::move(owned), nullptr);
    EXPECT_FALSE(display.onCopyText) << "without a recognizer no Copy Text";
    const int before = BackgroundWork::instance().pending();

    cards.copyNew(path, false);
    ASSERT_TRUE(reductionsEnded(before));

    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->urls(), QList<QUrl>{QUrl::fromLocalFile(path)});
    QImage pasted;
    ASSERT_TRUE(pasted.loadFromData(copied->data(QStringLiteral("image/png")), "PNG"));
    EXPECT_EQ(pasted.convertToFormat(QImage::Format_RGB32), still);
    EXPECT_TRUE(display.copied.empty());
}

} // namespace
} // namespace quillet

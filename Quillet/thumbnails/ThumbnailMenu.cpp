#include "Quillet/thumbnails/ThumbnailMenu.hpp"

#include "Brindle/SystemFont.hpp"
#include "Quillet/thumbnails/CaptureClipboard.hpp"
#include "Quillet/thumbnails/Thumbnails.hpp"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMenu>

namespace quillet {
namespace {

constexpr qreal menuPoints = 12;

// The cards' own colours: their dark background, their faint white border and corner radius.
const char* const menuStyle = R"(
QMenu { background: rgb(31, 31, 31); border: 1px solid rgba(255, 255, 255, 64); border-radius: 10px; padding: 5px; }
QMenu::item { color: white; background: transparent; padding: 5px 18px 5px 12px; border-radius: 6px; }
QMenu::item:selected { background: rgba(255, 255, 255, 46); }
QMenu::item:disabled { color: rgba(255, 255, 255, 110); }
QMenu::separator { height: 1px; background: rgba(255, 255, 255, 40); margin: 4px 6px; }
)";

constexpr int fileManagerTimeoutMilliseconds = 5000;

[[nodiscard]] QUrl folderOf(const QUrl& url)
{
    return QUrl::fromLocalFile(QFileInfo(url.toLocalFile()).path());
}

// Offered even where it cannot run, greyed and saying why, so that the user learns what to install.
void addCopyText(QMenu& menu, Thumbnails& model, const ThumbnailItem& item)
{
    const QString unavailable = model.copyTextUnavailableReason();
    if (unavailable.isEmpty()) {
        menu.addAction(QObject::tr("Copy Text"), &menu, [&model, item] { model.copyText(item); });
        return;
    }
    QAction* action = menu.addAction(QObject::tr("Copy Text · %1").arg(unavailable));
    action->setEnabled(false);
}

} // namespace

QMenu* ThumbnailMenu::popup(Thumbnails& model, const ThumbnailItem& item, QWidget* owner, QPoint globalPosition)
{
    auto* menu = new QMenu(owner);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setAttribute(Qt::WA_TranslucentBackground);
    menu->setWindowFlags(menu->windowFlags() | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    menu->setStyleSheet(QString::fromLatin1(menuStyle));
    menu->setFont(brindle::SystemFont::font(menuPoints, QFont::Medium, owner));

    const QString path = item.url.toLocalFile();
    menu->addAction(QObject::tr("Copy"), menu, [&model, item] { model.copy(item); });
    if (!item.isVideo && model.offersCopyText()) {
        addCopyText(*menu, model, item);
    }
    menu->addAction(QObject::tr("Copy Path"), menu, [path] { CaptureClipboard::copyPath(path); });
    menu->addSeparator();
    menu->addAction(QObject::tr("Show in Folder"), menu, [url = item.url] { showInFolder(url); });
    menu->addAction(QObject::tr("Open"), menu, [url = item.url] { QDesktopServices::openUrl(url); });
    if (!item.isVideo && model.canEdit()) {
        menu->addAction(QObject::tr("Edit"), menu, [&model, item] { model.edit(item); });
    }
    menu->addSeparator();
    menu->addAction(QObject::tr("Move to Trash"), menu, [&model, item] { model.trash(item); });
    menu->popup(globalPosition);
    return menu;
}

void ThumbnailMenu::showInFolder(const QUrl& url)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{url.toString()} << QString();
    auto* watcher = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(call, fileManagerTimeoutMilliseconds), QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [url](QDBusPendingCallWatcher* done) {
        if (done->isError()) {
            QDesktopServices::openUrl(folderOf(url));
        }
        done->deleteLater();
    });
}

} // namespace quillet

#pragma once

#include "Quillet/thumbnails/ThumbnailItem.hpp"

#include <QPoint>

class QMenu;
class QWidget;

namespace quillet {

class Thumbnails;

// A card's right-click menu, dark and rounded like the cards: Copy, Copy Text (stills, when text can be
// read, or greyed with the reason), Copy Path, Show in Folder, Open,
// Edit (stills, when editing exists) and Move to Trash. Its actions hold the item, not the card, so
// they still work when the card leaves the stack while the menu is open.
struct ThumbnailMenu {
    // The menu belongs to `owner` (the panel, which outlives every card) and deletes itself on closing.
    static QMenu* popup(Thumbnails& model, const ThumbnailItem& item, QWidget* owner, QPoint globalPosition);

    // Opens the file's folder in the file manager with the file selected; where no file manager
    // answers, the folder alone.
    static void showInFolder(const QUrl& url);
};

} // namespace quillet

#pragma once

#include "Quillet/common/TextRecognizer.hpp"
#include "Quillet/editor/Editor.hpp"
#include "Quillet/thumbnails/ThumbnailDisplay.hpp"

#include <QImage>
#include <QObject>
#include <QString>
#include <QUuid>

#include <map>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace quillet {

// The cards of new captures, their copies to the clipboard, and the editor their Edit button opens; an
// edited still's card shows the saved image. Main thread only.
class Cards : public QObject {
    Q_OBJECT

public:
    // Without an editor the cards offer no Edit button at all, rather than one that does nothing.
    // Without a text recognizer the cards offer no Copy Text.
    Cards(std::unique_ptr<ThumbnailDisplay> thumbnails, std::unique_ptr<Editor> editor,
          std::shared_ptr<const TextRecognizer> text = {}, QObject* parent = nullptr);

    // Lets the cards' Edit button open the editor.
    void connectEditor();
    void add(const QString& path, const QImage& image, double scale, bool isVideo);
    // A still's card from its captured pixels while its file is written, keyed by the caller's
    // `still`; completed with the file or removed when the save failed. The pixels are reduced off
    // the main thread; cards show in the order their stills came, and a still whose save ended
    // meanwhile shows complete, or not at all when it failed.
    void addSaving(quint64 still, const QImage& image, double scale);
    void finishSaving(quint64 still, const QString& path);
    void removeSaving(quint64 still);
    // Puts a new capture on the clipboard as the card's Copy does, without a card to confirm it.
    void copyNew(const QString& path, bool isVideo);

private:
    // A still whose card waits for its reduced pixels.
    struct Reducing {
        quint64 still = 0;
        double scale = 1;
        std::optional<QImage> reduced;
        std::optional<QString> savedPath; // its file, when complete before the card showed
    };

    [[nodiscard]] std::vector<Reducing>::iterator findReducing(quint64 still);
    void reduced(quint64 still, QImage image);
    void showReduced();
    void edit(const ThumbnailItem& item);
    // Puts the card's capture on the clipboard: a still's pixels as PNG with its file, a recording's
    // file alone. The file is read and encoded off the main thread.
    void copy(const ThumbnailItem& item);
    // `card`, when given, says "Copied" once the clipboard holds it.
    void copyFile(const QString& path, bool isVideo, const QUuid& card);
    // Reads the still's text off the main thread onto the clipboard; the card tells how it goes.
    void copyText(const ThumbnailItem& item);
    // Shows an edited still's saved image, reduced off the main thread; of quick saves the last wins.
    void showEdited(const QUuid& card, const QImage& saved);

    std::unique_ptr<ThumbnailDisplay> thumbnails_;
    std::unique_ptr<Editor> editor_;
    std::shared_ptr<const TextRecognizer> text_;
    std::vector<Reducing> reducing_; // in the order the stills came
    std::unordered_map<quint64, QUuid> saving_;
    quint64 edits_ = 0;
    std::map<QUuid, quint64> latestEdit_; // the number of each card's latest save still being reduced
};

} // namespace quillet

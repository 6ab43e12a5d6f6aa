#pragma once

#include "Quillet/common/TextRecognizer.hpp"

#include <QString>

#include <atomic>
#include <memory>
#include <mutex>

namespace quillet {

// Text read by tesseract, through the text module loaded on the first read. The language follows the
// user's locale where its data is installed, English otherwise. Reads take turns: one reader is kept
// loaded (its data takes a while to load) and it reads one picture at a time.
class TesseractRecognizer final : public TextRecognizer {
public:
    // `locale` as POSIX names it ("de_DE.UTF-8"); `dataFolder` holds the .traineddata files.
    TesseractRecognizer(const QString& locale, const QString& dataFolder);
    // The user's locale (LC_ALL, LC_MESSAGES, LANG) and the data where tesseract looks for it.
    [[nodiscard]] static std::unique_ptr<TesseractRecognizer> forThisUser();
    ~TesseractRecognizer() override;

    [[nodiscard]] QString unavailableReason() const override;
    [[nodiscard]] std::optional<QString> read(const QImage& image) const override;

    // The data the text is read with ("eng", "deu", "chi_sim").
    [[nodiscard]] const QString& language() const { return language_; }
    // Tesseract's version, or what kept the module from loading.
    [[nodiscard]] static QString version();

private:
    struct Reader;

    QString dataFolder_;
    QString language_;
    mutable std::mutex mutex_;
    mutable std::unique_ptr<Reader> reader_; // loaded on the first read
    mutable std::atomic<bool> moduleMissing_ = false;
};

} // namespace quillet

#include "Quillet/library/StillSaver.hpp"

#include "Quillet/common/BackgroundTask.hpp"
#include "Quillet/common/CaptureLog.hpp"
#include "Quillet/library/CaptureNames.hpp"

#include <QFileInfo>

namespace quillet {
namespace {

constexpr std::int64_t bytesPerKB = 1024;

// What the encode-and-write task hands back to the main thread.
struct WriteAttempt {
    QByteArray bytes; // the encoded still, kept for another name
    AtomicFileWriter::Result result;
    bool encoded = false;
};

// What the platform reports when a file cannot be saved and says no more.
QString couldNotBeSaved(const QString& path)
{
    return QStringLiteral("The file \u201c%1\u201d couldn\u2019t be saved.").arg(QFileInfo(path).fileName());
}

} // namespace

StillSaver::StillSaver(CaptureNames& names, Encode encode, QObject* parent)
    : QObject(parent), names_(names), encode_(std::move(encode))
{
}

void StillSaver::save(const QImage& image, Saved saved)
{
    const auto file = names_.next(Library::Kind::still);
    if (!file.isSuccess()) {
        fail(file.error(), saved);
        return;
    }
    const QString path = file.value().path;
    runInBackground(
        this,
        [encode = encode_, image, path] {
            WriteAttempt outcome;
            const auto bytes = encode(image);
            if (!bytes) {
                outcome.result.error = couldNotBeSaved(path);
                return outcome;
            }
            outcome.encoded = true;
            outcome.bytes = *bytes;
            outcome.result = AtomicFileWriter::createNew(path, outcome.bytes);
            return outcome;
        },
        [this, path, saved = std::move(saved)](const WriteAttempt& outcome) {
            if (!outcome.encoded) {
                fail(outcome.result.error, saved);
                return;
            }
            handleWrite(outcome.result, outcome.bytes, path, 1, saved);
        });
}

void StillSaver::write(const QByteArray& bytes, const QString& path, int attempt, Saved saved)
{
    runInBackground(
        this, [bytes, path] { return AtomicFileWriter::createNew(path, bytes); },
        [this, bytes, path, attempt, saved = std::move(saved)](const AtomicFileWriter::Result& result) {
            handleWrite(result, bytes, path, attempt, saved);
        });
}

void StillSaver::handleWrite(const AtomicFileWriter::Result& result, const QByteArray& bytes,
                             const QString& path, int attempt, const Saved& saved)
{
    switch (result.status) {
    case AtomicFileWriter::Status::written:
        captureLog().log("saved %ld KB", result.bytesWritten / bytesPerKB);
        saved(path);
        return;
    case AtomicFileWriter::Status::nameTaken:
        nameTaken(bytes, attempt, saved);
        return;
    case AtomicFileWriter::Status::failed:
        fail(result.error, saved);
        return;
    }
}

// Someone made a file of the chosen name after it was checked: take the next free name rather than
// overwrite theirs.
void StillSaver::nameTaken(const QByteArray& bytes, int attempt, Saved saved)
{
    if (attempt >= maximumNameAttempts) {
        fail(QStringLiteral("every new name was taken before it could be written"), saved);
        return;
    }
    const auto file = names_.next(Library::Kind::still);
    if (!file.isSuccess()) {
        fail(file.error(), saved);
        return;
    }
    write(bytes, file.value().path, attempt + 1, std::move(saved));
}

void StillSaver::fail(const QString& description, const Saved& saved)
{
    captureLog().error("could not save screenshot: %{public}s", description);
    saved(std::nullopt);
}

} // namespace quillet

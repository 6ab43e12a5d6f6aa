#pragma once

#include "Quillet/library/AtomicFileWriter.hpp"

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace quillet {

class CaptureNames;

// Encodes a still off the main thread and writes it under a new name. A name someone else took
// meanwhile is never overwritten: the still goes to the next free name. Every failure is logged.
class StillSaver : public QObject {
    Q_OBJECT

public:
    using Encode = std::function<std::optional<QByteArray>(const QImage&)>;
    // Called once on the main thread: with the written file's path, or with nothing after a failure
    // (which is logged by then).
    using Saved = std::function<void(const std::optional<QString>& path)>;

    // How often a name may turn out to be taken at the moment of writing before saving gives up.
    static constexpr int maximumNameAttempts = 20;

    StillSaver(CaptureNames& names, Encode encode, QObject* parent = nullptr);

    void save(const QImage& image, Saved saved);

private:
    void write(const QByteArray& bytes, const QString& path, int attempt, Saved saved);
    void handleWrite(const AtomicFileWriter::Result& result, const QByteArray& bytes, const QString& path,
                     int attempt, const Saved& saved);
    void nameTaken(const QByteArray& bytes, int attempt, Saved saved);
    static void fail(const QString& description, const Saved& saved);

    CaptureNames& names_;
    Encode encode_;
};

} // namespace quillet

#pragma once

#include <QByteArray>
#include <QString>

namespace quillet {

// Writes a new capture file without ever replacing one: the file is created exclusively, so a file
// that appeared under the same name after the name was chosen is left alone and reported. Safe to
// call from any thread.
struct NewFileWriter {
    enum class Status { written, nameTaken, failed };

    struct Result {
        Status status = Status::failed;
        qint64 bytesWritten = 0;
        QString error; // for `failed`
    };

    // A failed write leaves no partial file behind.
    [[nodiscard]] static Result write(const QString& path, const QByteArray& bytes);
};

} // namespace quillet

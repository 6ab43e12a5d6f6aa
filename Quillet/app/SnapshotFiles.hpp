#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

namespace quillet {

// The PNG files of a snapshot mode, written into an existing folder the user names. Each file appears
// whole under its name or not at all; an earlier snapshot's file is replaced, but whatever else holds
// a name (a link, a FIFO, a device, a folder) is left alone and told as an error, so a snapshot never
// writes through a link onto another file or waits on a FIFO. Errors are collected for the caller.
class SnapshotFiles {
public:
    explicit SnapshotFiles(QString folder);

    // False, with an error, when the folder is not there: nothing is created in its place.
    [[nodiscard]] bool folderExists();
    [[nodiscard]] QString pathOf(const QString& fileName) const;
    bool write(const QString& fileName, const QImage& image);
    [[nodiscard]] const QStringList& errors() const { return errors_; }

private:
    QString folder_;
    QStringList errors_;
};

} // namespace quillet

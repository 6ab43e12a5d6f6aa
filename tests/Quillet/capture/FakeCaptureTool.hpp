#pragma once

#include "core/RawBitmapFile.hpp"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/types.h>

namespace quillet::testing {

// A stand-in for the capture tool: a shell script that records its arguments and then does what the
// test asks with the output path (its last argument).
class FakeCaptureTool {
public:
    enum class Behaviour {
        writeImage,   // copy the image given to `setImage` to the output path
        writeNothing, // as a cancelled pick: leave the path alone
        writeGarbage, // bytes that are no image
        removeOutput, // as a tool that fails: no file at all, a reason and a failing status
        hang,         // never ends by itself
        crash,        // dies of a signal
    };

    FakeCaptureTool() { setBehaviour(Behaviour::writeImage); }

    [[nodiscard]] bool isValid() const { return folder_.isValid(); }
    [[nodiscard]] QString program() const { return folder_.filePath("fake-screencapture"); }

    // The image the tool writes: uncompressed when asked for "-t raw", else as a PNG.
    void setImage(const QImage& image)
    {
        image.save(folder_.filePath("fixture.png"), "PNG");
        const QImage pixels = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const auto header = RawBitmapFile::encode({pixels.width(), pixels.height(), pixels.dotsPerMeterX()});
        QFile raw(folder_.filePath("fixture.raw"));
        raw.open(QIODevice::WriteOnly | QIODevice::Truncate);
        raw.write(reinterpret_cast<const char*>(header.data()), static_cast<qint64>(header.size()));
        raw.write(reinterpret_cast<const char*>(pixels.constBits()), pixels.sizeInBytes());
    }

    void setBehaviour(Behaviour behaviour, double delaySeconds = 0)
    {
        QString action;
        switch (behaviour) {
        case Behaviour::writeImage:
            action =
                QStringLiteral("case \"$last\" in *.raw) cp '%1' \"$last\" ;; *) cp '%2' \"$last\" ;; esac")
                    .arg(folder_.filePath("fixture.raw"), folder_.filePath("fixture.png"));
            break;
        case Behaviour::writeNothing:
            action = QStringLiteral(":");
            break;
        case Behaviour::writeGarbage:
            action = QStringLiteral("echo 'not an image' > \"$last\"");
            break;
        case Behaviour::removeOutput:
            action =
                QStringLiteral("rm -f \"$last\"; echo 'quillet-screencapture: cannot read the screen' >&2; "
                               "exit 1");
            break;
        case Behaviour::hang:
            action = QStringLiteral("exec sleep 1000");
            break;
        case Behaviour::crash:
            action = QStringLiteral("kill -SEGV $$");
            break;
        }
        QFile script(program());
        script.open(QIODevice::WriteOnly | QIODevice::Truncate);
        script.write(QStringLiteral("#!/bin/sh\n"
                                    "echo $$ > '%1.pid'\n"
                                    "printf '%s\\n' \"$@\" > '%1'\n"
                                    "for last; do :; done\n"
                                    "sleep %2\n"
                                    "%3\n")
                         .arg(folder_.filePath("arguments"), QString::number(delaySeconds), action)
                         .toUtf8());
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    // The process id of the latest run, 0 before the first.
    [[nodiscard]] pid_t pid() const
    {
        QFile file(folder_.filePath("arguments.pid"));
        return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toInt() : 0;
    }

    // The arguments of the latest run.
    [[nodiscard]] QStringList arguments() const
    {
        QFile file(folder_.filePath("arguments"));
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }

private:
    QTemporaryDir folder_;
};

} // namespace quillet::testing

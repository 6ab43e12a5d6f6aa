#pragma once

// Real movies for recording tests, made by the ffmpeg program, and independent checks of MP4 files.

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace quillet::testing {

// An H.264 QuickTime movie of a test pattern, as the capture tool writes; false without ffmpeg.
inline bool makeMovie(const QString& path, const QString& size = QStringLiteral("320x200"),
                      double seconds = 1)
{
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (ffmpeg.isEmpty()) {
        return false;
    }
    QProcess process;
    process.start(ffmpeg,
                  {"-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                   QStringLiteral("testsrc=size=%1:rate=30").arg(size), "-t", QString::number(seconds),
                   "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", path});
    return process.waitForFinished(60'000) && process.exitCode() == 0 && QFile::exists(path);
}

// The codec names of a file's streams as ffprobe reads them; empty when it cannot read the file.
inline QStringList probedCodecs(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral("ffprobe"),
                  {"-v", "error", "-show_entries", "stream=codec_name", "-of", "csv=p=0", path});
    if (!process.waitForFinished(30'000) || process.exitCode() != 0) {
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

// Whether the file's index comes before its media data, so that playback can start at once.
inline bool indexComesFirst(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray bytes = file.readAll();
    const auto moov = bytes.indexOf("moov");
    const auto mdat = bytes.indexOf("mdat");
    return moov > 0 && mdat > 0 && moov < mdat;
}

} // namespace quillet::testing

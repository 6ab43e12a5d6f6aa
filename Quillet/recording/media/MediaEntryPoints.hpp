#pragma once

// The media module: the program's whole use of FFmpeg, in a library of its own that the program loads
// on first use (MediaLibrary). Linked into the program, FFmpeg and the hundred libraries it needs
// would be loaded and relocated at every start, before the tray icon can show.

#include <QImage>
#include <QString>

#define QUILLET_MEDIA_ENTRY __attribute__((visibility("default")))

// Copies every audio and video stream of `movie` into an MPEG-4 file at `target` (index first,
// nothing re-encoded). False, with the reason in `failure`, when it could not.
extern "C" QUILLET_MEDIA_ENTRY bool quilletRemux(const QString& movie, const QString& target,
                                                 QString& failure);
// The movie's first picture, scaled down (never up) to fit `maxPixels` square; false when the file
// holds no decodable video.
extern "C" QUILLET_MEDIA_ENTRY bool quilletFirstFrame(const QString& path, int maxPixels, QImage& frame);

// The FFmpeg version the module was built with, for reports.
extern "C" QUILLET_MEDIA_ENTRY const char* quilletMediaVersion();

namespace quillet::MediaEntryPoints {

using Remux = decltype(&quilletRemux);
using FirstFrame = decltype(&quilletFirstFrame);
using Version = decltype(&quilletMediaVersion);

inline constexpr const char* remuxName = "quilletRemux";
inline constexpr const char* firstFrameName = "quilletFirstFrame";
inline constexpr const char* versionName = "quilletMediaVersion";

} // namespace quillet::MediaEntryPoints

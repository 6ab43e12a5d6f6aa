#pragma once

// The text module: the program's whole use of tesseract, in a library of its own that the program
// loads when text is first read (TesseractRecognizer). Linked into the program, tesseract and the image
// libraries it brings would be loaded at every start, and a machine without them could not start it.

#include <QImage>
#include <QString>

#define QUILLET_TEXT_ENTRY __attribute__((visibility("default")))

// A reader of one language's data, from `dataPath` (the folder of the .traineddata files); null, with
// the reason in `failure`, when the data cannot be loaded. One thread at a time per reader.
extern "C" QUILLET_TEXT_ENTRY void* quilletTextOpen(const char* dataPath, const char* language,
                                                    QString& failure);
// The text of `image` in reading order: a line break ends each line, an empty line each paragraph.
// False, with the reason in `failure`, when recognition failed; true with empty `text` when it found none.
extern "C" QUILLET_TEXT_ENTRY bool quilletTextRead(void* reader, const QImage& image, QString& text,
                                                   QString& failure);
extern "C" QUILLET_TEXT_ENTRY void quilletTextClose(void* reader);
// The tesseract version the module runs, for reports.
extern "C" QUILLET_TEXT_ENTRY const char* quilletTextVersion();

namespace quillet::TextEntryPoints {

using Open = decltype(&quilletTextOpen);
using Read = decltype(&quilletTextRead);
using Close = decltype(&quilletTextClose);
using Version = decltype(&quilletTextVersion);

inline constexpr const char* openName = "quilletTextOpen";
inline constexpr const char* readName = "quilletTextRead";
inline constexpr const char* closeName = "quilletTextClose";
inline constexpr const char* versionName = "quilletTextVersion";

// The resolution the pictures are taken to have, in pixels per inch: a screen's usual one. Tesseract
// sizes its noise filters by it; the benchmark tells the command-line program the same.
inline constexpr int screenPixelsPerInch = 96;

} // namespace quillet::TextEntryPoints

#include "Quillet/common/text/TextEntryPoints.hpp"

#include <memory>
#include <omp.h>
#include <tesseract/baseapi.h>

namespace {

using quillet::TextEntryPoints::screenPixelsPerInch;

struct TextDeleter {
    void operator()(char* text) const { delete[] text; }
};

} // namespace

void* quilletTextOpen(const char* dataPath, const char* language, QString& failure)
{
    auto api = std::make_unique<tesseract::TessBaseAPI>();
    // The neural engine alone: the data Debian ships for it is all that is installed.
    if (api->Init(dataPath, language, tesseract::OEM_LSTM_ONLY) != 0) {
        failure = QStringLiteral("tesseract could not load the %1 data from %2")
                      .arg(QString::fromUtf8(language), QString::fromUtf8(dataPath));
        return nullptr;
    }
    // The whole page laid out into blocks, paragraphs and lines, as the command-line program does.
    api->SetPageSegMode(tesseract::PSM_AUTO);
    return api.release();
}

bool quilletTextRead(void* reader, const QImage& image, QString& text, QString& failure)
{
    auto* api = static_cast<tesseract::TessBaseAPI*>(reader);
    // Byte order R, G, B, A, as tesseract takes four bytes a pixel; alpha is ignored.
    const QImage pixels = image.convertToFormat(QImage::Format_RGBA8888);
    if (pixels.isNull() || pixels.width() < 1 || pixels.height() < 1) {
        failure = QStringLiteral("no pixels to read");
        return false;
    }
    // One thread: tesseract asks OpenMP for more threads than a desktop has cores, and its workers spin
    // while they wait; on two busy cores a screen's text took five times as long. Its parallel loops
    // name their thread count, so only allowing no nested team at all keeps them on this thread. (No
    // other library in the program runs OpenMP loops.)
    omp_set_max_active_levels(0);
    api->SetImage(pixels.constBits(), pixels.width(), pixels.height(), 4,
                  static_cast<int>(pixels.bytesPerLine()));
    api->SetSourceResolution(screenPixelsPerInch);
    const std::unique_ptr<char[], TextDeleter> found(api->GetUTF8Text());
    // Nothing is kept of this picture for the next one.
    api->Clear();
    if (!found) {
        failure = QStringLiteral("tesseract could not read the picture");
        return false;
    }
    text = QString::fromUtf8(found.get());
    return true;
}

void quilletTextClose(void* reader)
{
    delete static_cast<tesseract::TessBaseAPI*>(reader);
}

const char* quilletTextVersion()
{
    return tesseract::TessBaseAPI::Version();
}

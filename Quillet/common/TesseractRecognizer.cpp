#include "Quillet/common/TesseractRecognizer.hpp"

#include "Quillet/common/CaptureLog.hpp"
#include "Quillet/common/PrivateModule.hpp"
#include "Quillet/common/text/TextEntryPoints.hpp"
#include "core/TextLanguage.hpp"

#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QRegularExpression>

#include <cstdlib>
#include <string>

namespace quillet {
namespace {

constexpr const char* moduleName = "libquillet-text.so";
// Where Debian's tesseract-ocr-<language> packages put their data.
constexpr const char* debianDataFolder = "/usr/share/tesseract-ocr/5/tessdata";

struct Module {
    TextEntryPoints::Open open = nullptr;
    TextEntryPoints::Read read = nullptr;
    TextEntryPoints::Close close = nullptr;
    TextEntryPoints::Version version = nullptr;
    QString problem;
};

[[nodiscard]] Module load()
{
    Module loaded;
    const auto opened = PrivateModule::open(moduleName, [&](void* handle) {
        loaded.open = PrivateModule::entry<TextEntryPoints::Open>(handle, TextEntryPoints::openName);
        loaded.read = PrivateModule::entry<TextEntryPoints::Read>(handle, TextEntryPoints::readName);
        loaded.close = PrivateModule::entry<TextEntryPoints::Close>(handle, TextEntryPoints::closeName);
        loaded.version = PrivateModule::entry<TextEntryPoints::Version>(handle, TextEntryPoints::versionName);
        return loaded.open && loaded.read && loaded.close && loaded.version;
    });
    if (!opened.problem.isEmpty()) {
        return {.problem = opened.problem};
    }
    return loaded;
}

// Loaded once, from whichever thread reads first, and kept until the process ends.
[[nodiscard]] const Module& module()
{
    static const Module instance = load();
    return instance;
}

[[nodiscard]] QString dataFile(const QString& folder, std::string_view language)
{
    return folder + QLatin1Char('/') + QString::fromUtf8(language.data(), qsizetype(language.size())) +
           QStringLiteral(".traineddata");
}

// Tesseract's own text, tidied: no spaces at line ends, no page break, at most one empty line in a row.
[[nodiscard]] QString tidied(QString text)
{
    static const QRegularExpression lineEndSpace(QStringLiteral("[ \\t]+\\n"));
    static const QRegularExpression emptyLines(QStringLiteral("\\n{3,}"));
    text.remove(QLatin1Char('\f'));
    text.replace(lineEndSpace, QStringLiteral("\n"));
    text.replace(emptyLines, QStringLiteral("\n\n"));
    return text.trimmed();
}

[[nodiscard]] QString firstSet(std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty()) {
            return value;
        }
    }
    return {};
}

} // namespace

struct TesseractRecognizer::Reader {
    void* handle = nullptr;
    QString failure; // why it could not be made; it is not tried again

    ~Reader()
    {
        if (handle) {
            module().close(handle);
        }
    }
};

TesseractRecognizer::TesseractRecognizer(const QString& locale, const QString& dataFolder)
    : dataFolder_(dataFolder), language_(QString::fromStdString(TextLanguage::chosen(
                                   locale.toStdString(), [&dataFolder](std::string_view language) {
                                       return QFileInfo::exists(dataFile(dataFolder, language));
                                   })))
{
}

std::unique_ptr<TesseractRecognizer> TesseractRecognizer::forThisUser()
{
    const QString prefix = qEnvironmentVariable("TESSDATA_PREFIX");
    const QString folder = prefix.isEmpty() ? QString::fromLatin1(debianDataFolder) : prefix;
    return std::make_unique<TesseractRecognizer>(firstSet({"LC_ALL", "LC_MESSAGES", "LANG"}), folder);
}

TesseractRecognizer::~TesseractRecognizer() = default;

QString TesseractRecognizer::unavailableReason() const
{
    if (!QFileInfo::exists(dataFile(dataFolder_, language_.toStdString()))) {
        return QObject::tr("Needs the package tesseract-ocr-%1").arg(language_);
    }
    // Known only once a read tried to load it: loading it here would block the menu that asks.
    if (moduleMissing_) {
        return QObject::tr("Needs the package libtesseract5");
    }
    return {};
}

std::optional<QString> TesseractRecognizer::read(const QImage& image) const
{
    const Module& loaded = module();
    if (!loaded.open) {
        moduleMissing_ = true;
        captureLog().error("cannot read text: %{public}s", loaded.problem);
        return std::nullopt;
    }
    const std::lock_guard lock(mutex_);
    if (!reader_) {
        reader_ = std::make_unique<Reader>();
        reader_->handle = loaded.open(QFile::encodeName(dataFolder_).constData(),
                                      language_.toUtf8().constData(), reader_->failure);
    }
    if (!reader_->handle) {
        captureLog().error("cannot read text: %{public}s", reader_->failure);
        return std::nullopt;
    }
    QString text;
    QString failure;
    if (!loaded.read(reader_->handle, image, text, failure)) {
        captureLog().error("cannot read text: %{public}s", failure);
        return std::nullopt;
    }
    return tidied(text);
}

QString TesseractRecognizer::version()
{
    const Module& loaded = module();
    return loaded.version ? QString::fromLatin1(loaded.version())
                          : QStringLiteral("not loaded: %1").arg(loaded.problem);
}

} // namespace quillet

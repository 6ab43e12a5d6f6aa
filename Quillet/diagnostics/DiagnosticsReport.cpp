#include "Quillet/diagnostics/DiagnosticsReport.hpp"

namespace quillet {
namespace {

constexpr qint64 bytesPerKB = 1024;

// The report's labels in one place. The permission and shareable-content lines are named for what
// they report on this desktop rather than for another platform's calls.
namespace Label {
const QString program = QStringLiteral("bundle: ");
const QString identifier = QStringLiteral("bundle id: ");
const QString canCapture = QStringLiteral("screen capture access: ");
const QString team = QStringLiteral("team: ");
const QString shareableContent = QStringLiteral("shareable content: ");
const QString shareableContentError = QStringLiteral("shareable content error: ");
const QString capture = QStringLiteral("screencapture: ");
} // namespace Label

QString orDash(const QString& value)
{
    return value.isEmpty() ? QStringLiteral("-") : value;
}

QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString shareableContentLine(const std::variant<DiagnosticsReport::ShareableContent, QString>& content)
{
    if (const auto* error = std::get_if<QString>(&content)) {
        return Label::shareableContentError + *error;
    }
    const auto& found = std::get<DiagnosticsReport::ShareableContent>(content);
    return Label::shareableContent +
           QStringLiteral("%1 displays, %2 windows").arg(found.displays).arg(found.windows);
}

QString captureLine(const std::optional<DiagnosticsReport::TestCapture>& capture)
{
    if (!capture) {
        return Label::capture + QStringLiteral("no image");
    }
    return Label::capture + QStringLiteral("%1x%2, %3 KB, blank: %4")
                                .arg(capture->width)
                                .arg(capture->height)
                                .arg(std::max<qint64>(capture->bytes, 0) / bytesPerKB)
                                .arg(boolText(capture->isBlank));
}

} // namespace

QStringList DiagnosticsReport::lines() const
{
    QStringList result{
        Label::program + programPath,
        Label::identifier + orDash(identifier),
        Label::canCapture + boolText(canCapture),
        Label::team + orDash(team),
        shareableContentLine(shareableContent),
        captureLine(capture),
    };
    for (const auto& [label, value] : facts) {
        result << label + QStringLiteral(": ") + orDash(value);
    }
    return result;
}

QString DiagnosticsReport::text() const
{
    return lines().join(QLatin1Char('\n'));
}

} // namespace quillet

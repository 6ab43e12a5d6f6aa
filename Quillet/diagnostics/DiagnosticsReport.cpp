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

QString canCaptureLine(const std::optional<bool>& canCapture, const QString& how)
{
    const QString answer = canCapture ? boolText(*canCapture) : QStringLiteral("unknown");
    return Label::canCapture + answer + (how.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(how));
}

QString shareableContentLine(const std::variant<DiagnosticsReport::ShareableContent,
                                                DiagnosticsReport::PortalContent, QString>& content)
{
    if (const auto* error = std::get_if<QString>(&content)) {
        return Label::shareableContentError + *error;
    }
    if (const auto* portal = std::get_if<DiagnosticsReport::PortalContent>(&content)) {
        return Label::shareableContent + QStringLiteral("desktop portal ") +
               portal->portals.join(QStringLiteral(", "));
    }
    const auto& found = std::get<DiagnosticsReport::ShareableContent>(content);
    return Label::shareableContent +
           QStringLiteral("%1 displays, %2 windows").arg(found.displays).arg(found.windows);
}

QString captureLine(const std::optional<DiagnosticsReport::TestCapture>& capture, const QString& notTried)
{
    if (!notTried.isEmpty()) {
        return Label::capture + QStringLiteral("not tried: ") + notTried;
    }
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
        canCaptureLine(canCapture, canCaptureHow),
        Label::team + orDash(team),
        shareableContentLine(shareableContent),
        captureLine(capture, captureNotTried),
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

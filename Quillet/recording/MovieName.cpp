#include "Quillet/recording/MovieName.hpp"

#include <QTimeZone>
#include <QUuid>

namespace quillet {
namespace {

const QString timeFormat = QStringLiteral("yyyyMMdd'T'HHmmss.zzz'Z'");
// "20261208T023244.123Z": the date, 'T', the time, 'Z'; then '-'.
constexpr qsizetype dateLength = 8;
constexpr qsizetype clockLength = 10;
constexpr qsizetype timeLength = dateLength + 1 + clockLength + 1;

} // namespace

QString MovieName::make(const QDateTime& startedAt)
{
    return startedAt.toUTC().toString(timeFormat) + QLatin1Char('-') +
           QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".mov");
}

std::optional<QDateTime> MovieName::startedAt(const QString& fileName)
{
    if (fileName.size() <= timeLength || fileName.at(timeLength) != QLatin1Char('-')) {
        return std::nullopt;
    }
    // Read as UTC from the start: a local reading could fall into a daylight-saving gap.
    const QDate date = QDate::fromString(fileName.left(dateLength), QStringLiteral("yyyyMMdd"));
    const QTime clock =
        QTime::fromString(fileName.mid(dateLength + 1, clockLength), QStringLiteral("HHmmss.zzz"));
    if (!date.isValid() || !clock.isValid() || fileName.at(dateLength) != QLatin1Char('T') ||
        fileName.at(timeLength - 1) != QLatin1Char('Z')) {
        return std::nullopt;
    }
    return QDateTime(date, clock, QTimeZone::utc());
}

} // namespace quillet

#include "Brindle/LoginItem.hpp"

#include "Brindle/AppInfo.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>

#include <algorithm>

namespace brindle {
namespace {

constexpr auto desktopEntryGroup = "[Desktop Entry]";

// Quotes one Exec argument as the desktop-entry rules ask: characters with a meaning to the
// launcher put the argument in double quotes, inside which " ` $ and \ are backslash-escaped.
QString quotedArgument(const QString& argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    const bool needsQuotes = argument.isEmpty() || std::any_of(argument.begin(), argument.end(),
                                                               [](QChar c) { return reserved.contains(c); });
    QString result = argument;
    result.replace(QLatin1Char('%'), QLatin1String("%%"));
    if (!needsQuotes) {
        return result;
    }
    QString quoted;
    for (const QChar c : result) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\')) {
            quoted += QLatin1Char('\\');
        }
        quoted += c;
    }
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// A string value of the file: backslashes and line breaks are escaped once more.
QString escapedValue(const QString& value)
{
    QString result;
    for (const QChar c : value) {
        if (c == QLatin1Char('\\')) {
            result += QLatin1String("\\\\");
        } else if (c == QLatin1Char('\n')) {
            result += QLatin1String("\\n");
        } else if (c == QLatin1Char('\r')) {
            result += QLatin1String("\\r");
        } else if (c == QLatin1Char('\t')) {
            result += QLatin1String("\\t");
        } else {
            result += c;
        }
    }
    return result;
}

bool isFalse(const QString& value)
{
    return value.trimmed().compare(QLatin1String("false"), Qt::CaseInsensitive) == 0;
}

bool isTrue(const QString& value)
{
    return value.trimmed().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

// Whether the entry's main group switches it off.
bool switchesItselfOff(const QString& text)
{
    bool inMainGroup = false;
    for (const QString& rawLine : text.split(QLatin1Char('\n'))) {
        const QString line = rawLine.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String(desktopEntryGroup);
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inMainGroup || equals < 0) {
            continue;
        }
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1);
        if ((key == QLatin1String("Hidden") && isTrue(value)) ||
            (key == QLatin1String("X-GNOME-Autostart-enabled") && isFalse(value))) {
            return true;
        }
    }
    return false;
}

void logFailure(const QString& description)
{
    AppInfo::logger("login-item").error("login item change failed: %{public}s", description);
}

bool writeEntry()
{
    const QString path = LoginItem::entryPath();
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        logFailure(QStringLiteral("could not create the folder %1").arg(folder));
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        logFailure(file.errorString());
        return false;
    }
    file.write(LoginItem::entryText(QCoreApplication::applicationFilePath()).toUtf8());
    if (!file.commit()) {
        logFailure(file.errorString());
        return false;
    }
    return true;
}

void removeEntry()
{
    QFile file(LoginItem::entryPath());
    if (file.exists() && !file.remove()) {
        logFailure(file.errorString());
    }
}

} // namespace

QString LoginItem::entryPath()
{
    const QString configHome = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return configHome + QStringLiteral("/autostart/") +
           QString::fromUtf8(AppInfo::bundleIdentifier.data(), AppInfo::bundleIdentifier.size()) +
           QStringLiteral(".desktop");
}

QString LoginItem::entryText(const QString& executable)
{
    QString text;
    QTextStream out(&text);
    out << desktopEntryGroup << '\n'
        << "Type=Application\n"
        << "Name=" << QString::fromUtf8(AppInfo::name.data(), AppInfo::name.size()) << '\n'
        << "Exec=" << escapedValue(quotedArgument(executable)) << '\n'
        << "Terminal=false\n"
        << "X-GNOME-Autostart-enabled=true\n";
    return text;
}

bool LoginItem::isEnabled()
{
    QFile file(entryPath());
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    return !switchesItselfOff(QString::fromUtf8(file.readAll()));
}

bool LoginItem::setEnabled(bool on)
{
    if (on) {
        writeEntry();
    } else {
        removeEntry();
    }
    return isEnabled();
}

} // namespace brindle

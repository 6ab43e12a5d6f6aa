#include "Quillet/shell/PanelText.hpp"

#include "core/ActionRequest.hpp"

#include <QCoreApplication>

namespace quillet {
namespace {

[[nodiscard]] QString text(const char* key)
{
    return QCoreApplication::translate("Quillet", key);
}

} // namespace

QString PanelText::switchHelp(bool isOn)
{
    return isOn ? text("Turn off shortcuts") : text("Turn on shortcuts");
}

QString PanelText::status(std::string_view key)
{
    return QCoreApplication::translate("Quillet", std::string(key).c_str());
}

QString PanelText::openFailedTitle()
{
    return text("Nothing could open this");
}

QString PanelText::openFailedMessage(const QString& address)
{
    return text("The desktop opens links and folders with xdg-open and the browser or file manager set "
                "for them. Install xdg-utils and one of those, or open this by hand:\n\n%1")
        .arg(address);
}

QString PanelText::recording()
{
    return text("Recording");
}

QString PanelText::stop()
{
    return text("Stop");
}

QString PanelText::permissionTitle()
{
    return text("Allow Screen Recording");
}

QString PanelText::permissionMessage()
{
    // X11 has no per-application permission; this shows only where the session refuses screen grabs.
    return text("This desktop session does not let Quillet see the screen. On Wayland, allow screen "
                "capture for Quillet in Settings, or log in to an X11 session, then open the app again.");
}

QString PanelText::shortcutsTitle()
{
    return text("Turn off the desktop's screenshot shortcuts");
}

QString PanelText::shortcutsMessage()
{
    return text("In your desktop's keyboard settings, turn off the screenshot shortcuts so Super+Shift+3, "
                "Super+Shift+4 and Super+Shift+5 come to Quillet. Or choose other shortcuts below.");
}

QString PanelText::shortcutsButton()
{
    return text("Open Keyboard Settings");
}

PanelText::ActionRow PanelText::action(CaptureAction action, bool isRecording)
{
    switch (action) {
    case CaptureAction::screen:
        return {"macwindow", text("Capture screen"), text("The screen the pointer is on")};
    case CaptureAction::area:
        return {"viewfinder", text("Capture area or window"),
                text("Drag an area \u00B7 Space picks a window")};
    case CaptureAction::recording:
        if (isRecording) {
            return {"stop.fill", text("Stop recording"), text("Saves the recording to your folder")};
        }
        return {"record.circle", text("Record screen"),
                text("Drag an area \u00B7 Click for the whole screen")};
    }
    return {};
}

QString PanelText::saveTo()
{
    return text("Save to");
}

QString PanelText::change()
{
    return text("Change\u2026");
}

QString PanelText::fileNames()
{
    return text("File names");
}

QString PanelText::naming(FileNamingStyle style)
{
    switch (style) {
    case FileNamingStyle::date:
        return text("Date and time");
    case FileNamingStyle::number:
        return text("Number");
    }
    return {};
}

QString PanelText::prefix()
{
    return text("Prefix");
}

QString PanelText::none()
{
    return text("None");
}

QString PanelText::nextNumber()
{
    return text("Next number");
}

QString PanelText::startOver()
{
    return text("Start over at 1");
}

QString PanelText::nextFile(const QString& example)
{
    return text("Next file: ") + example;
}

QString PanelText::recordMicrophone()
{
    return text("Record microphone");
}

QString PanelText::microphone()
{
    return text("Microphone");
}

QString PanelText::systemDefaultMicrophone()
{
    return text("System default");
}

QString PanelText::showClicks()
{
    return text("Show clicks in recordings");
}

QString PanelText::copyNewCaptures()
{
    return text("Copy new captures to the clipboard");
}

QString PanelText::noInternet()
{
    return text("No internet connection, no data collected");
}

QString PanelText::capturesStay()
{
    return text("Captures stay in the folder you choose");
}

QString PanelText::typeShortcut()
{
    return text("Type shortcut");
}

QString PanelText::editingHelp()
{
    return text("Type the new shortcut \u00B7 Esc cancels \u00B7 Backspace restores the default");
}

QString PanelText::fieldHelp()
{
    return text("Click to change the shortcut");
}

QString PanelText::takenHelp()
{
    return text("Another app is already using this shortcut");
}

QString PanelText::desktopCommand(CaptureAction action)
{
    const std::string_view name = actionName(action);
    return QStringLiteral("quillet --action ") + QString::fromLatin1(name.data(), qsizetype(name.size()));
}

QString PanelText::desktopHoldsKey()
{
    return text("In desktop settings");
}

QString PanelText::bindCommandHelp()
{
    return text("This desktop gives keys only to its own settings: bind a key there to run this command");
}

QString PanelText::desktopKeyHelp()
{
    return text("The desktop holds this shortcut: change it in the desktop's keyboard settings");
}

QStringList PanelText::desktopKeyNames(const QString& trigger)
{
    // "+" itself may be the key: "Ctrl++".
    QStringList names = trigger.split(QLatin1Char('+'));
    for (qsizetype i = names.size() - 1; i > 0; --i) {
        if (names[i].isEmpty() && names[i - 1].isEmpty()) {
            names[i - 1] = QStringLiteral("+");
            names.removeAt(i);
        }
    }
    names.removeAll(QString());
    for (QString& name : names) {
        name = name.trimmed();
    }
    return names;
}

QStringList PanelText::keyNames(const std::vector<std::string>& symbols)
{
    QStringList names;
    for (const std::string& symbol : symbols) {
        if (symbol == "\u2303") {
            names.append(QStringLiteral("Ctrl"));
        } else if (symbol == "\u2325") {
            names.append(QStringLiteral("Alt"));
        } else if (symbol == "\u21E7") {
            names.append(QStringLiteral("Shift"));
        } else if (symbol == "\u2318") {
            names.append(QStringLiteral("Super"));
        } else {
            names.append(QString::fromStdString(symbol));
        }
    }
    return names;
}

} // namespace quillet

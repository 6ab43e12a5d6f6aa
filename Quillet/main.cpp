#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // A tray utility has no main window: closing a panel or a card must not end the process.
    QApplication::setQuitOnLastWindowClosed(false);
    return QApplication::exec();
}

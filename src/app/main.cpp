#include "Startup.h"
#include "cli/CommandLineRun.h"
#include "platform/QtSeams.h"
#include "ui/Pictures.h"
#include "ui/TMainForm.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[])
{
    QStringList arguments;
    for (int index = 1; index < argc; ++index)
        arguments << commandLineWord(argv[index]);
    // Without a window, the program needs no display.
    if (isCommandLineRun(arguments)) {
        QCoreApplication app(argc, argv);
        return runCommandLine(arguments, QCoreApplication::applicationFilePath());
    }

    // Qt would abort with a message that blames the installation.
    if (noDisplayForTheWindow())
        return reportNoDisplay();
    QApplication app(argc, argv);
    // The desktop entry ties the windows to the menu entry, its icon and the task-bar entry.
    const QString desktopEntry = QStringLiteral(VANTOMEL_DESKTOP_ENTRY);
    QGuiApplication::setDesktopFileName(desktopEntry);
    QApplication::setWindowIcon(
        QIcon::fromTheme(desktopEntry, ownPicture(QStringLiteral("program"))));

    const QString workingDirectory = QDir::currentPath();
    const ProgramSetup setup = ProgramSetup::decide(QCoreApplication::applicationFilePath());
    QtMessages messages(setup.info.productName);
    QtShell shell;
    QtDialogs dialogs(setup.places.preferencesPath);
    LogindPower power;
    LauncherEntryTaskbar taskbar(desktopEntry + QStringLiteral(".desktop"));
    FreedesktopNotifications notifications(setup.info.productName, desktopEntry);
    Startup program(Seams{messages, shell, dialogs, power, taskbar, notifications}, setup,
                    QCoreApplication::arguments().mid(1), workingDirectory);
    program.mainForm().show();
    return app.exec();
}

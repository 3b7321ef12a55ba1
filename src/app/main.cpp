#include "Startup.h"
#include "platform/QtSeams.h"
#include "ui/TMainForm.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QtMessages messages;
    QtShell shell;
    QtDialogs dialogs;
    LogindPower power;
    Startup windows(Seams{messages, shell, dialogs, power}, QCoreApplication::applicationFilePath(),
                    QCoreApplication::arguments().mid(1));
    windows.mainForm().show();
    return app.exec();
}

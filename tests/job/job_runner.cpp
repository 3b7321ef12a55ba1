// One join job through the real windows of a program directory, Start pressed as a user would,
// in a process of its own: for tests of two programs at once and of a program that dies during
// a job. Prints every message the job shows, one a line, and exits 0 when the job completed.
//
// Usage: job_runner <program directory> <profile> <output file> <input>...

#include "RealProgram.h"
#include "support/RecordingSeams.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.size() < 5) {
        std::fputs("usage: job_runner <program directory> <profile> <output file> <input>...\n",
                   stderr);
        return 2;
    }
    RecordingSeams doubles;
    RealWindows windows(doubles.seams(), arguments[0] + QStringLiteral("/vantomel"),
                        arguments.mid(3));
    if (!windows.selectProfile(arguments[1]))
        return 2;
    windows.setOutputFile(arguments[2]);
    windows.pressStart();
    for (const RecordedMessage& message : doubles.messages.shown)
        std::printf("%s\n", qPrintable(message.text));
    const bool completed = doubles.messages.shown.size() == 1 &&
                           doubles.messages.shown[0].text.startsWith(
                               QStringLiteral("The joining is completed successfully.\n"));
    return completed ? 0 : 1;
}

// Starts the program (the real windows, offscreen) with a delivered Preferences.ini and with
// Preferences.ini files of 50 MB in several shapes, then saves the General Settings and closes
// the main window. Prints the seconds of each step and the peak memory of each run; every run
// is a process of its own, so that the peak belongs to it.
//
// Usage: QT_QPA_PLATFORM=offscreen bench_preferences [megabytes [rounds]]

#include "app/Startup.h"
#include "support/RecordingSeams.h"
#include "ui/TMainForm.h"
#include "ui/TSettingForm.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QByteArray delivered()
{
    QFile file(QStringLiteral(VANTOMEL_DIST_DIR "/Preferences.ini"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("no delivered Preferences.ini");
    return file.readAll();
}

// Lines of the kind a file grows by, up to the given size.
QByteArray filler(qsizetype bytes, const char* pattern)
{
    QByteArray text;
    text.reserve(bytes + 200);
    for (int n = 0; text.size() < bytes; ++n)
        text += QByteArray(pattern).replace("%1", QByteArray::number(n)) + "\n";
    return text;
}

struct Shape
{
    const char* name;
    QByteArray content;
};

QList<Shape> shapes(qsizetype bytes)
{
    const QByteArray small = delivered();
    QByteArray ownMainKeys = small;
    ownMainKeys.replace("[Main]\n", "");
    return {
        {"delivered", small},
        {"other section",
         small + "\n[History]\n" + filler(bytes, "Item%1=/home/user/Videos/holiday/clip %1.avi")},
        {"inside [Main]",
         "[Main]\n" + filler(bytes, "Junk%1=/home/user/Videos/holiday/clip %1.avi") + ownMainKeys},
        {"one long line", "; " + QByteArray(bytes, 'x') + "\n" + small},
    };
}

// The peak resident memory of this process image (getrusage would count the parent's pages that
// a child holds between fork and exec).
long long peakMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() / 1024;
    return -1;
}

// One run in this process: start, save the General Settings, close.
int runOnce(const QString& programDirectory)
{
    RecordingSeams doubles;
    QElapsedTimer timer;
    timer.start();
    Startup windows(doubles.seams(), programDirectory + QStringLiteral("/vantomel"));
    windows.mainForm().show();
    if (!QTest::qWaitForWindowExposed(&windows.mainForm()))
        qFatal("window not shown");
    const double start = timer.nsecsElapsed() / 1e9;

    windows.settingForm().show();
    timer.restart();
    windows.settingForm().findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
    const double save = timer.nsecsElapsed() / 1e9;

    timer.restart();
    windows.mainForm().close();
    const double close = timer.nsecsElapsed() / 1e9;
    if (!doubles.messages.shown.isEmpty())
        qFatal("a message was shown: %s", qPrintable(doubles.messages.shown.first().text));

    std::printf("%.3f %.3f %.3f %lld\n", start, save, close, peakMegabytes());
    return 0;
}

// start, save, close and peak of one run in a process of its own.
std::vector<double> runInChild(const QString& self, const QString& programDirectory)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(self, {QStringLiteral("--run"), programDirectory});
    if (!child.waitForFinished(-1) || child.exitCode() != 0)
        qFatal("the run failed");
    std::vector<double> figures;
    for (const QString& figure : QString::fromUtf8(child.readAllStandardOutput()).split(' '))
        figures.push_back(figure.toDouble());
    if (figures.size() != 4)
        qFatal("the run printed no figures");
    return figures;
}

// A program directory with the delivered profiles and the given preferences.
void fillProgramDirectory(const QString& directory, const QByteArray& preferences)
{
    QDir().mkpath(directory + QStringLiteral("/Profiles"));
    const QDir profiles(QStringLiteral(VANTOMEL_DIST_DIR "/Profiles"));
    for (const QString& name : profiles.entryList({QStringLiteral("*.bpf")}, QDir::Files)) {
        QFile::remove(directory + QStringLiteral("/Profiles/") + name);
        QFile::copy(profiles.filePath(name), directory + QStringLiteral("/Profiles/") + name);
    }
    QFile file(directory + QStringLiteral("/Preferences.ini"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(preferences) != preferences.size())
        qFatal("cannot write the preferences");
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() == 3 && arguments[1] == QLatin1String("--run"))
        return runOnce(arguments[2]);

    const qsizetype megabytes = arguments.size() > 1 ? arguments[1].toLongLong() : 50;
    const int rounds = arguments.size() > 2 ? arguments[2].toInt() : 3;
    std::printf("rounds: %d (medians)\n", rounds);
    std::printf("%-16s %8s %10s %10s %10s %8s\n", "Preferences.ini", "MB", "start s", "save s",
                "close s", "peak MB");
    double deliveredStart = 0;
    double slowestExtraStart = 0;
    const QList<Shape> all = shapes(megabytes * 1000 * 1000);
    for (const Shape& shape : all) {
        std::vector<std::vector<double>> columns(4);
        for (int round = 0; round < rounds; ++round) {
            // Each run saves, so each starts from the file as made.
            QTemporaryDir program;
            fillProgramDirectory(program.path(), shape.content);
            const std::vector<double> figures =
                runInChild(app.applicationFilePath(), program.path());
            for (std::size_t i = 0; i < columns.size(); ++i)
                columns[i].push_back(figures[i]);
        }
        const double start = median(columns[0]);
        if (&shape == &all.front())
            deliveredStart = start;
        else
            slowestExtraStart = std::max(slowestExtraStart, start - deliveredStart);
        std::printf("%-16s %8.1f %10.3f %10.3f %10.3f %8.0f\n", shape.name,
                    shape.content.size() / 1e6, start, median(columns[1]), median(columns[2]),
                    median(columns[3]));
        std::fflush(stdout);
    }
    std::printf("start beyond the delivered file's: at most %.3f s (target: under 1 s)\n",
                slowestExtraStart);
    return 0;
}

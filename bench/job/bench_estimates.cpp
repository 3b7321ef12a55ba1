// How near the summary line's estimates come to the job: for each way of joining (both stages,
// one pass, a copy), in a program directory of its own, the estimate before any job (the rule of
// thumb), a real job, the estimate from that job's measured speed, and a second real job. Prints
// the estimated and the measured time and size and their ratio (target: within 1.5 either way
// once a job has run).
//
// Usage: bench_estimates <built program directory> <clips directory> <phone clips directory>

#include "job/OutputSummary.h"
#include "job/RealProgram.h"
#include "profiles/EncoderOptions.h"
#include "support/RecordingSeams.h"
#include "ui/TSettingForm.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <cstdio>

namespace {

struct Way
{
    QString name;
    QString profile;
    bool onePass;
    QStringList clips;
};

OutputSummary estimate(const RealWindows& windows, const ProgramCopy& program)
{
    const Startup& startup = windows.startup();
    const JoinWay way =
        joinWay(copiesVideo(startup.currentProfile()), startup.generalSettings().onePass);
    return summarizeOutput(startup.mainForm().taskList().rows(), startup.currentProfile(),
                           startup.generalSettings(), readJobSpeed(program.preferencesPath(), way));
}

QString ratio(double estimated, double measured)
{
    return QString::number(estimated / measured, 'f', 2);
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 4) {
        std::fprintf(stderr, "Usage: bench_estimates <program directory> <clips directory> "
                             "<phone clips directory>\n");
        return 2;
    }
    const QDir clips(arguments[2]);
    const QDir phone(arguments[3]);
    const QStringList mixed{clips.filePath("clip.mp4"), clips.filePath("clip.mov"),
                            clips.filePath("clip.avi"), clips.filePath("clip.mpg")};
    QStringList phones;
    for (int i = 1; i <= 8; ++i)
        phones << phone.filePath(QStringLiteral("phone%1.mp4").arg(i));
    const QList<Way> ways{
        {"both stages", "MP4 - H.264 and AAC", false, mixed},
        {"one pass", "MP4 - H.264 and AAC", true, mixed},
        {"copy", "MP4 - Same as the videos (no re-encoding)", false, phones},
    };

    QTextStream out(stdout);
    out << "way          estimate from   time est/real s   ratio   size est/real MB   ratio\n";
    for (const Way& way : ways) {
        ProgramCopy program(arguments[1]);
        RecordingSeams doubles;
        RealWindows windows(doubles.seams(), program, way.clips);
        if (!program.isValid() || windows.statuses().size() != way.clips.size() ||
            !windows.selectProfile(way.profile)) {
            std::fprintf(stderr, "The program directory or the clips are not usable.\n");
            return 1;
        }
        TSettingForm& settings = windows.startup().settingForm();
        settings.show();
        settings.findChild<QAbstractButton*>("chkOnePass")->setChecked(way.onePass);
        settings.findChild<QAbstractButton*>("btnOK")->click();
        const QString output = program.directory() + QStringLiteral("joined.mp4");
        for (const char* from : {"rule of thumb", "last job"}) {
            const OutputSummary guess = estimate(windows, program);
            QFile::remove(output);
            windows.setOutputFile(output);
            doubles.messages.shown.clear();
            QElapsedTimer clock;
            clock.start();
            windows.pressStart();
            const double seconds = clock.nsecsElapsed() / 1e9;
            const double megabytes = QFileInfo(output).size() / 1e6;
            if (megabytes <= 0) {
                std::fprintf(stderr, "The %s job failed.\n", qPrintable(way.name));
                return 1;
            }
            out << QStringLiteral("%1 %2 %3 / %4   %5   %6 / %7   %8\n")
                       .arg(way.name, -12)
                       .arg(QString::fromLatin1(from), -15)
                       .arg(guess.jobSeconds, 7, 'f', 1)
                       .arg(seconds, -7, 'f', 1)
                       .arg(ratio(guess.jobSeconds, seconds))
                       .arg(guess.bytes / 1e6, 7, 'f', 2)
                       .arg(megabytes, -7, 'f', 2)
                       .arg(ratio(guess.bytes / 1e6, megabytes));
            out.flush();
        }
    }
    return 0;
}

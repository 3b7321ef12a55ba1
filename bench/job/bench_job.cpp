// The whole join job run through the program (the real windows, offscreen, Start pressed)
// against the same encoder command lines run one after another by a shell script. Prints both
// times and their ratio: what the program adds to the encoder's own work.
//
// Usage: bench_job <built program directory> <clips directory> [rounds]

#include "job/EncoderCommand.h"
#include "job/RealProgram.h"
#include "profiles/EncoderOptions.h"
#include "profiles/ProfileList.h"
#include "support/RecordingSeams.h"
#include "ui/TopSettingForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

namespace {

const QString kProfile = QStringLiteral("AVI - MPEG-4 and MP3");
const QStringList kClips = {"clip.avi", "clip.mpg", "clip.mpeg", "clip.mp4",
                            "clip.wmv", "clip.mov", "clip.vob",  "clip.asf"};

QString shellQuoted(const QString& argument)
{
    QString quoted = argument;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString shellLine(const QString& program, const QStringList& arguments)
{
    QStringList words{shellQuoted(program)};
    for (const QString& argument : arguments)
        words << shellQuoted(argument);
    return words.join(QLatin1Char(' ')) + QStringLiteral(" > /dev/null 2>&1\n");
}

// The program's command lines, built from the same pieces and the same dialogs, in a script.
void writeScript(const QString& scriptPath, const ProgramCopy& program, RealWindows& windows,
                 const QStringList& inputs, const QString& scriptDir, const QString& output)
{
    const QString profile =
        profilePath(program.directory() + QStringLiteral("Profiles/"), kProfile);
    const OutputSelection selection = windows.startup().opSettingForm().outputSelection();
    const QString encoder = program.directory() + QStringLiteral("asapi.dll");
    QString script = QStringLiteral("set -e\nmkdir -p ") + shellQuoted(scriptDir) + '\n';
    QStringList intermediates;
    for (int i = 0; i < inputs.size(); ++i) {
        intermediates << intermediatePath(scriptDir, i);
        script += shellLine(encoder, conversionCommand(inputs[i], intermediates.last(),
                                                       pictureSizeText(profile, selection))
                                         .arguments);
    }
    script += shellLine(
        encoder,
        joinCommand(intermediates, output, GetEncoderOptions(profile, selection)).arguments);
    for (const QString& intermediate : intermediates)
        script += QStringLiteral("rm -f ") + shellQuoted(intermediate) + '\n';
    QFile file(scriptPath);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(script.toLocal8Bit());
}

// Seconds of processor time used so far by this process, or by its ended children.
double processorSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 3) {
        std::fprintf(stderr, "Usage: bench_job <program directory> <clips directory> [rounds]\n");
        return 2;
    }
    const int rounds = arguments.size() > 3 ? arguments[3].toInt() : 5;
    const QDir clips(arguments[2]);
    QStringList inputs;
    for (const QString& clip : kClips)
        inputs << clips.absoluteFilePath(clip);

    ProgramCopy program(arguments[1]);
    RecordingSeams doubles;
    RealWindows windows(doubles.seams(), program, inputs);
    if (!program.isValid() || windows.statuses().size() != inputs.size() ||
        !windows.selectProfile(kProfile)) {
        std::fprintf(stderr, "The program directory or the clips are not usable.\n");
        return 1;
    }
    const QString programOutput = program.directory() + QStringLiteral("joined-by-program.avi");
    const QString scriptOutput = program.directory() + QStringLiteral("joined-by-script.avi");
    const QString scriptPath = program.directory() + QStringLiteral("job.sh");
    writeScript(scriptPath, program, windows, inputs,
                program.directory() + QStringLiteral("script-work/"), scriptOutput);

    QTextStream out(stdout);
    out << "Eight 10-second clips, profile \"" << kProfile << "\", " << rounds
        << " rounds, script and program taking turns.\n\n";
    QList<double> scriptTimes, programTimes, scriptProcessor, ownProcessor, encoderProcessor;
    for (int round = 1; round <= rounds; ++round) {
        QFile::remove(scriptOutput);
        const double scriptBefore = processorSeconds(RUSAGE_CHILDREN);
        QElapsedTimer clock;
        clock.start();
        const int scriptStatus = QProcess::execute(QStringLiteral("/bin/sh"), {scriptPath});
        scriptTimes << clock.nsecsElapsed() / 1e9;
        scriptProcessor << processorSeconds(RUSAGE_CHILDREN) - scriptBefore;

        QFile::remove(programOutput);
        windows.setOutputFile(programOutput);
        doubles.messages.shown.clear();
        const double ownBefore = processorSeconds(RUSAGE_SELF);
        const double childrenBefore = processorSeconds(RUSAGE_CHILDREN);
        clock.restart();
        windows.pressStart();
        programTimes << clock.nsecsElapsed() / 1e9;
        ownProcessor << processorSeconds(RUSAGE_SELF) - ownBefore;
        encoderProcessor << processorSeconds(RUSAGE_CHILDREN) - childrenBefore;

        const bool completed =
            doubles.messages.shown.size() == 1 &&
            doubles.messages.shown.first().text == "The joining is completed successfully.";
        out << "round " << round << ": script " << QString::number(scriptTimes.last(), 'f', 2)
            << " s" << (scriptStatus == 0 && QFileInfo(scriptOutput).size() > 0 ? "" : " (FAILED)")
            << " (processor " << QString::number(scriptProcessor.last(), 'f', 2) << " s)"
            << ", program " << QString::number(programTimes.last(), 'f', 2) << " s"
            << (completed && QFileInfo(programOutput).size() > 0 ? "" : " (FAILED)")
            << " (processor: program " << QString::number(ownProcessor.last(), 'f', 2)
            << " s, its encoders " << QString::number(encoderProcessor.last(), 'f', 2) << " s)\n";
        out.flush();
    }

    const double script = median(scriptTimes);
    const double joined = median(programTimes);
    out << "\nmedian, script:  " << QString::number(script, 'f', 2) << " s\n"
        << "median, program: " << QString::number(joined, 'f', 2) << " s\n"
        << "program / script: " << QString::number(joined / script, 'f', 4)
        << " (target at most 1.03)\n"
        << "processor time, program and its encoders / script: "
        << QString::number(
               (median(ownProcessor) + median(encoderProcessor)) / median(scriptProcessor), 'f', 4)
        << "\nprogram's own processor time / its encoders': "
        << QString::number(median(ownProcessor) / median(encoderProcessor), 'f', 4) << '\n';
    return 0;
}

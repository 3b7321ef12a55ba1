// The whole join job run through the program (the real windows, offscreen, Start pressed), in
// its three ways: both stages with one conversion at a time, both stages with conversions side
// by side (one per core), and the join in one pass. The first and the last are also run as the
// same encoder command lines one after another by a shell script. Prints the times, the
// processor seconds and the ratios (what the program adds to the encoder's own work, and what
// running side by side and joining in one pass save), and the lengths of the outputs.
//
// Usage: bench_job <built program directory> <clips directory> [rounds]

#include "encoder/MediaFacts.h"
#include "job/EncoderCommand.h"
#include "job/RealProgram.h"
#include "profiles/CurrentProfile.h"
#include "profiles/EncoderOptions.h"
#include "support/RecordingSeams.h"
#include "ui/TSettingForm.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QProcess>
#include <QTextStream>
#include <QThread>
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

// The files whole, as the encoder reads inputs of which nothing is known.
QList<JobClip> wholeFiles(const QStringList& paths)
{
    QList<JobClip> clips;
    for (const QString& path : paths)
        clips << JobClip{path};
    return clips;
}

void writeFile(const QString& path, const QString& text)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(text.toLocal8Bit());
}

// The program's command lines, built from the same pieces and the same dialogs, in two scripts:
// both stages (conversions one after another), and the join in one pass.
void writeScripts(const QString& twoStages, const QString& onePass, const ProgramCopy& program,
                  RealWindows& windows, const QStringList& inputs, const QString& scriptDir,
                  const QString& output)
{
    const CurrentProfile& profile = windows.startup().currentProfile();
    const QString options = GetEncoderOptions(profile);
    const QString encoder = program.directory() + QStringLiteral("asapi.dll");
    QString script = QStringLiteral("set -e\nmkdir -p ") + shellQuoted(scriptDir) + '\n';
    // Stretched at 30 fps, so that the figures compare with the earlier ones.
    const PictureRules pictures{pictureSizeText(profile)};
    QStringList intermediates;
    for (int i = 0; i < inputs.size(); ++i) {
        intermediates << intermediatePath(scriptDir, i);
        script += shellLine(
            encoder, conversionCommand({inputs[i]}, intermediates.last(), pictures).arguments);
    }
    script += shellLine(encoder, joinCommand(wholeFiles(intermediates), output, options).arguments);
    for (const QString& intermediate : intermediates)
        script += QStringLiteral("rm -f ") + shellQuoted(intermediate) + '\n';
    writeFile(twoStages, script);
    writeFile(
        onePass,
        QStringLiteral("set -e\n") +
            shellLine(encoder,
                      onePassJoinCommand(wholeFiles(inputs), output, options, pictures).arguments));
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

QString seconds(double value)
{
    return QString::number(value, 'f', 2);
}

// The times of one way of running the job over the rounds.
struct Measure
{
    explicit Measure(const QString& title) : name(title) {}

    QString name;
    QList<double> wall, processor, ownProcessor;
    bool failed = false;
    QString lengths; // of the last output
};

QString lengthsOf(const QString& output)
{
    const MediaFacts facts = readMediaFacts(output);
    if (!facts.opened)
        return QStringLiteral("unreadable");
    return QStringLiteral("video %1 s, audio %2 s")
        .arg(QString::number(facts.video.duration, 'f', 3),
             QString::number(facts.audio.duration, 'f', 3));
}

void runScript(Measure& measure, const QString& script, const QString& output)
{
    QFile::remove(output);
    const double before = processorSeconds(RUSAGE_CHILDREN);
    QElapsedTimer clock;
    clock.start();
    const int status = QProcess::execute(QStringLiteral("/bin/sh"), {script});
    measure.wall << clock.nsecsElapsed() / 1e9;
    measure.processor << processorSeconds(RUSAGE_CHILDREN) - before;
    measure.failed = measure.failed || status != 0 || QFileInfo(output).size() <= 0;
    measure.lengths = lengthsOf(output);
}

void runProgram(Measure& measure, RealWindows& windows, RecordingSeams& doubles,
                const QString& output)
{
    QFile::remove(output);
    windows.setOutputFile(output);
    doubles.messages.shown.clear();
    const double ownBefore = processorSeconds(RUSAGE_SELF);
    const double childrenBefore = processorSeconds(RUSAGE_CHILDREN);
    QElapsedTimer clock;
    clock.start();
    windows.pressStart();
    measure.wall << clock.nsecsElapsed() / 1e9;
    const double own = processorSeconds(RUSAGE_SELF) - ownBefore;
    measure.ownProcessor << own;
    measure.processor << own + processorSeconds(RUSAGE_CHILDREN) - childrenBefore;
    const bool completed =
        doubles.messages.shown.size() == 1 &&
        doubles.messages.shown.first().text == "The joining is completed successfully.";
    measure.failed = measure.failed || !completed || QFileInfo(output).size() <= 0;
    measure.lengths = lengthsOf(output);
}

// One pass as a user sets it: the General Settings dialog hands its values back when it closes.
void setOnePass(RealWindows& windows, bool onePass)
{
    TSettingForm& form = windows.startup().settingForm();
    form.show();
    form.findChild<QAbstractButton*>("chkOnePass")->setChecked(onePass);
    form.findChild<QAbstractButton*>("btnOK")->click();
}

// Milliseconds from the press of Start to the start of the join's encoder in one pass, over
// `rounds` presses. The encoder of a program copy is a script that notes when it was started and
// fails (the check at Start still reaches the real encoder), so each job ends there.
QList<double> startToEncoder(RecordingSeams& doubles, const QString& builtProgram,
                             const QStringList& inputs, int rounds)
{
    ProgramCopy program(builtProgram);
    const QString real = program.directory() + QStringLiteral("real-encoder");
    const QString stamp = program.directory() + QStringLiteral("started");
    QFile::rename(program.directory() + QStringLiteral("asapi.dll"), real);
    writeFile(program.directory() + QStringLiteral("asapi.dll"),
              QStringLiteral("#!/bin/sh\n[ \"$1\" = -checkonly ] && exec ") + shellQuoted(real) +
                  QStringLiteral(" \"$@\"\ndate +%s%N > ") + shellQuoted(stamp) +
                  QStringLiteral("\nexit 1\n"));
    QFile::setPermissions(program.directory() + QStringLiteral("asapi.dll"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    RealWindows windows(doubles.seams(), program, inputs);
    windows.selectProfile(kProfile);
    setOnePass(windows, true);
    windows.setOutputFile(program.directory() + QStringLiteral("joined.avi"));
    QList<double> times;
    for (int round = 0; round < rounds; ++round) {
        QFile::remove(stamp);
        QCoreApplication::processEvents(); // the previous job's message and repaints
        const qint64 pressed = QDateTime::currentMSecsSinceEpoch();
        windows.pressStart();
        const QByteArray started = fileContents(stamp).trimmed();
        if (started.size() > 6)
            times << started.toLongLong() / 1e6 - pressed;
    }
    return times;
}

// Milliseconds the encoder takes to answer the check at Start for the same one-pass join, run
// alone: most of the time from Start to the encoder's start.
QList<double> checkAlone(const QString& builtProgram, const QString& options,
                         const QStringList& inputs, int rounds)
{
    const EncoderCommand join = onePassJoinCommand(
        wholeFiles(inputs), QDir::temp().filePath("joined.avi"), options, PictureRules{});
    QList<double> times;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer clock;
        clock.start();
        QProcess::execute(QDir(builtProgram).filePath(QStringLiteral("asapi.dll")),
                          QStringList{QStringLiteral("-checkonly")} + join.arguments);
        times << clock.nsecsElapsed() / 1e6;
    }
    return times;
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
    const QString twoStageScript = program.directory() + QStringLiteral("two-stages.sh");
    const QString onePassScript = program.directory() + QStringLiteral("one-pass.sh");
    writeScripts(twoStageScript, onePassScript, program, windows, inputs,
                 program.directory() + QStringLiteral("script-work/"), scriptOutput);

    const int cores = QThread::idealThreadCount();
    const int sideBySide = std::min<int>(cores, inputs.size());
    QTextStream out(stdout);
    out << "Eight 10-second clips, profile \"" << kProfile << "\", " << rounds
        << " rounds, the ways taking turns; " << cores << " cores, load average "
        << QString::fromLatin1(fileContents("/proc/loadavg").trimmed()) << ".\n\n";

    Measure scriptTwo{QStringLiteral("script, both stages")};
    Measure oneAtATime{QStringLiteral("program, both stages, one conversion at a time")};
    Measure parallel{
        QStringLiteral("program, both stages, %1 conversions side by side").arg(sideBySide)};
    Measure scriptOne{QStringLiteral("script, one pass")};
    Measure onePass{QStringLiteral("program, one pass")};
    for (int round = 1; round <= rounds; ++round) {
        runScript(scriptTwo, twoStageScript, scriptOutput);
        setOnePass(windows, false);
        windows.setConversionRunsAtOnce(1);
        runProgram(oneAtATime, windows, doubles, programOutput);
        windows.setConversionRunsAtOnce(sideBySide);
        runProgram(parallel, windows, doubles, programOutput);
        runScript(scriptOne, onePassScript, scriptOutput);
        setOnePass(windows, true);
        runProgram(onePass, windows, doubles, programOutput);
        out << "round " << round << ":";
        for (const Measure* m : {&scriptTwo, &oneAtATime, &parallel, &scriptOne, &onePass})
            out << ' ' << seconds(m->wall.last()) << " s";
        out << " (load " << QString::fromLatin1(fileContents("/proc/loadavg").left(4)) << ")\n";
        out.flush();
    }

    out << "\nmedians           wall s  processor s  (of it the program's own)\n";
    for (const Measure* m : {&scriptTwo, &oneAtATime, &parallel, &scriptOne, &onePass}) {
        out << m->name << (m->failed ? " (FAILED)" : "") << ":\n    " << seconds(median(m->wall))
            << " s, processor " << seconds(median(m->processor)) << " s";
        if (!m->ownProcessor.isEmpty())
            out << " (program " << seconds(median(m->ownProcessor)) << " s)";
        out << "; output " << m->lengths << '\n';
        if (!m->ownProcessor.isEmpty())
            out << "    the program's own share of one core: "
                << QString::number(100 * median(m->ownProcessor) / median(m->wall), 'f', 1)
                << " % (target at most 3 %)\n";
    }
    const QList<double> starts = startToEncoder(doubles, arguments[1], inputs, rounds);
    out << "\nStart to the encoder's start, one pass: "
        << (starts.isEmpty() ? QStringLiteral("not measured")
                             : QString::number(median(starts), 'f', 1) + " ms")
        << " (median of " << starts.size() << ", target at most 50 ms)\n";
    const QList<double> checks = checkAlone(
        arguments[1], GetEncoderOptions(windows.startup().currentProfile()), inputs, rounds);
    out << "    of it the encoder's answer to the check at Start, run alone: "
        << QString::number(median(checks), 'f', 1) << " ms\n";
    const auto ratio = [](const Measure& a, const Measure& b) {
        return QString::number(median(a.wall) / median(b.wall), 'f', 3) + " (processor " +
               QString::number(median(a.processor) / median(b.processor), 'f', 3) + ")";
    };
    out << "\nprogram one at a time / script, both stages: " << ratio(oneAtATime, scriptTwo)
        << " (target at most 1.03)\n"
        << "program side by side / one at a time:        " << ratio(parallel, oneAtATime) << '\n'
        << "program one pass / script, one pass:         " << ratio(onePass, scriptOne) << '\n'
        << "program one pass / side by side:             " << ratio(onePass, parallel) << '\n'
        << "program one pass / one at a time:            " << ratio(onePass, oneAtATime) << '\n';
    return 0;
}

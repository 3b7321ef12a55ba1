#include "CommandLineRun.h"

#include "Console.h"
#include "ConsoleJobView.h"
#include "ConsoleSeams.h"
#include "JsonReport.h"
#include "StopSignals.h"
#include "TerminalReport.h"
#include "job/CurrentProfileOutput.h"
#include "job/JoinJob.h"
#include "job/TaskListRows.h"
#include "paths/PathText.h"
#include "prefs/Preferences.h"
#include "profiles/CurrentProfile.h"
#include "profiles/ProfileList.h"
#include "program/ProgramSetup.h"
#include "tasks/ClipPart.h"
#include "tasks/JobListFile.h"
#include "tasks/TaskListEditor.h"
#include "tasks/TaskListModel.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace {

// Holds a byte that was not UTF-8 (see commandLineWord).
bool holdsBytesNotUtf8(const QString& word)
{
    for (qsizetype at = 0; at < word.size(); ++at)
        if (word[at].isLowSurrogate() && (at == 0 || !word[at - 1].isHighSurrogate()))
            return true;
    return false;
}

bool isUtf8(const QByteArray& bytes)
{
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

const QString kProgramName = QStringLiteral("vantomel");

const QString kUsage = QStringLiteral(
    "Usage: vantomel --join [--profile NAME|FILE] [--one-pass|--two-stages]\n"
    "                [--keep-shape|--stretch] [-y|-n] [--temp-dir DIR] [--frame-rate RATE]\n"
    "                [--size WxH|--same-size] [--exact-cuts] [-q|-v|--json] -o OUTPUT\n"
    "                [--list FILE] INPUT...\n"
    "       vantomel --check [the options of --join] -o OUTPUT INPUT...\n"
    "       vantomel --list-profiles | --help | --version\n"
    "       vantomel [VIDEO...]    opens the main window with the videos listed\n");

const QString kHelpEpilogue = QStringLiteral(
    "\n"
    "An INPUT may be a folder (its videos, as Add Directory adds them) or - (names read from\n"
    "standard input, one a line). A part of a video is an INPUT in braces, each word apart:\n"
    "  { VIDEO -ss START -endpos LENGTH }\n"
    "START is where the part begins, LENGTH how long it runs from there; either may be left\n"
    "out. Both are seconds (5, 5.25) or hh:mm:ss.fff (00:01:02.345). Job lists and standard\n"
    "input take parts in the same words, one a line.\n"
    "\n"
    "Standard output holds only the path of the file written (a renamed one when\n"
    "Preferences.ini chooses Rename); progress and messages go to standard error.\n"
    "\n"
    "What --join has no option for comes from Preferences.ini, as in the window: the profile,\n"
    "the question before overwriting, Overwrite or Rename, the temporary folder, One Pass,\n"
    "Keep Shape, Frame Rate and Exact Cuts In Stream. An option holds for this run only and is\n"
    "not saved. A question is asked on the terminal; without one it is answered No and the join\n"
    "is refused.\n"
    "\n"
    "--exact-cuts lets a join that copies the pictures write the parameter sets in the stream\n"
    "(MP4 sample entry avc3 or hev1), so that the cuts of clips other than x264 ones stay where\n"
    "they are set rather than move to keyframes. Some players refuse such files: Safari's\n"
    "WebCodecs, FairPlay-protected playback, and Apple's players for HEVC.\n"
    "\n"
    "--check runs the checks of --join and prints on standard output what the join would\n"
    "do, writing nothing. --json prints JSON Lines on standard output in place of the\n"
    "progress and messages: progress, message, plan and end events, one a line.\n"
    "\n"
    "Exit codes: 0 joined (with --check: the join would start), 1 failed (or an input is no\n"
    "video, or no display for the window), 2 stopped (Ctrl+C, SIGTERM or a closed terminal),\n"
    "3 refused (also -n with an existing output), 4 joined but the joined video is out of\n"
    "step, short or otherwise faulty (the completion message says how), 64 wrong usage.\n");

struct Options
{
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Shows this help and exits.")};
    QCommandLineOption version{{QStringLiteral("V"), QStringLiteral("version")},
                               QStringLiteral("Shows the version and exits.")};
    QCommandLineOption listProfiles{QStringLiteral("list-profiles"),
                                    QStringLiteral("Lists the profiles, one per line.")};
    QCommandLineOption join{QStringLiteral("join"),
                            QStringLiteral("Joins the inputs into the output without a window.")};
    QCommandLineOption check{QStringLiteral("check"),
                             QStringLiteral("Checks a join as --join would and prints what it "
                                            "would do; writes nothing.")};
    QCommandLineOption json{QStringLiteral("json"),
                            QStringLiteral("JSON Lines on standard output, one event a line, in "
                                           "place of the progress and messages.")};
    QCommandLineOption profile{QStringLiteral("profile"),
                               QStringLiteral("The profile by its listed name, or a profile file."),
                               QStringLiteral("name|file")};
    QCommandLineOption onePass{QStringLiteral("one-pass"),
                               QStringLiteral("Joins the inputs in one pass.")};
    QCommandLineOption twoStages{QStringLiteral("two-stages"),
                                 QStringLiteral("Converts each input first, then joins.")};
    QCommandLineOption keepShape{QStringLiteral("keep-shape"),
                                 QStringLiteral("Keeps each picture's shape, black around it.")};
    QCommandLineOption stretch{QStringLiteral("stretch"),
                               QStringLiteral("Stretches each picture to the output size.")};
    QCommandLineOption output{{QStringLiteral("o"), QStringLiteral("output")},
                              QStringLiteral("The joined file."),
                              QStringLiteral("output")};

    QCommandLineOption overwrite{{QStringLiteral("y"), QStringLiteral("overwrite")},
                                 QStringLiteral("Replaces an existing output without asking.")};
    QCommandLineOption noOverwrite{{QStringLiteral("n"), QStringLiteral("no-overwrite")},
                                   QStringLiteral("Never replaces an existing output: refused.")};
    QCommandLineOption quiet{{QStringLiteral("q"), QStringLiteral("quiet")},
                             QStringLiteral("Errors only: no progress, no completion message.")};
    QCommandLineOption verbose{{QStringLiteral("v"), QStringLiteral("verbose")},
                               QStringLiteral("Shows each encoder run: its command line and "
                                              "what the encoder said.")};
    QCommandLineOption list{QStringLiteral("list"),
                            QStringLiteral("Adds the videos of a job list (as Save List writes "
                                           "it) before the inputs."),
                            QStringLiteral("file")};
    QCommandLineOption tempDir{QStringLiteral("temp-dir"),
                               QStringLiteral("The temporary folder for this run."),
                               QStringLiteral("dir")};
    QCommandLineOption frameRate{QStringLiteral("frame-rate"),
                                 QStringLiteral("The joined video's frame rate, 23.976 to 60, or "
                                                "First (the first video's)."),
                                 QStringLiteral("rate")};
    QCommandLineOption size{QStringLiteral("size"),
                            QStringLiteral("The joined picture's width and height, as the "
                                           "Output Settings' own fields take them."),
                            QStringLiteral("WxH")};
    QCommandLineOption sameSize{
        QStringLiteral("same-size"),
        QStringLiteral("The joined picture as large as the first video's.")};

    QCommandLineOption exactCuts{
        QStringLiteral("exact-cuts"),
        QStringLiteral("A copy keeps every cut exact, with the parameter sets in the stream, "
                       "which some players refuse.")};

    QList<QCommandLineOption> all() const
    {
        return {
            help,      version,   listProfiles, join,   check,     json,        profile, onePass,
            twoStages, keepShape, stretch,      output, overwrite, noOverwrite, quiet,   verbose,
            list,      tempDir,   frameRate,    size,   sameSize,  exactCuts,
        };
    }
};

// Why the output names no file of its own, or empty: "" would be the working folder's name, and
// "." or ".." a hidden "..mp4" beside it.
QString whyOutputNamesNoFile(const QString& output)
{
    if (output.isEmpty())
        return QStringLiteral("the output name is empty");
    if (QFileInfo(QDir::current().absoluteFilePath(output)).isDir())
        return QStringLiteral("the output '%1' is a folder; name a file in it").arg(output);
    const QString name = output.section(QLatin1Char('/'), -1);
    if (name.count(QLatin1Char('.')) == name.size())
        return QStringLiteral("the output '%1' names no file").arg(output);
    return {};
}

int usageError(Console& console, const QString& text)
{
    console.err(kProgramName + QStringLiteral(": ") + text);
    console.err(QStringLiteral("Try '%1 --help'.").arg(kProgramName));
    return ExitCode::kUsage;
}

// The profile named on the command line, or else the one the window would choose; empty when
// there is none.
QString chosenProfilePath(const QString& named, const ProgramPlaces& places)
{
    const QVector<ListedProfile> listed = listProfiles(places.profileDirectories);
    if (named.isEmpty()) {
        const prefs::MainWindowChoice stored = prefs::readMainWindowChoice(places.preferencesPath);
        QStringList names;
        for (const ListedProfile& profile : listed)
            names << profile.name;
        const int position = storedProfilePosition(names, stored.profileIndex, stored.profileName);
        return position >= 0 ? listed[position].path : QString();
    }
    for (const ListedProfile& profile : listed)
        if (profile.name.compare(named, Qt::CaseInsensitive) == 0)
            return profile.path;
    return QFileInfo(named).isFile() ? QFileInfo(named).absoluteFilePath() : QString();
}

// A setting the command line turns on or off, or else the stored one.
bool chosenSwitch(const QCommandLineParser& parser, const QCommandLineOption& on,
                  const QCommandLineOption& off, bool stored)
{
    return parser.isSet(on) || (!parser.isSet(off) && stored);
}

class HeadlessJoin
{
public:
    HeadlessJoin(Console& console, RunReport& report, const ProgramSetup& setup)
        : m_console(console), m_report(report), m_setup(setup),
          m_messages(report.messages()), m_seams{m_messages, m_desktop, m_desktop,
                                                 m_desktop,  m_desktop, m_desktop}
    {
    }

    // The join, or with --check what it would do; the report's end, but for wrong usage.
    // groups: the parts the arguments named in braces.
    int run(const QCommandLineParser& parser, const Options& options, const QList<ClipPart>& groups)
    {
        m_end.checkOnly = parser.isSet(options.check);
        m_end.exitCode = joinOrCheck(parser, options, groups);
        if (m_end.exitCode != ExitCode::kUsage)
            m_report.end(m_end);
        return m_end.exitCode;
    }

private:
    int joinOrCheck(const QCommandLineParser& parser, const Options& options,
                    const QList<ClipPart>& groups)
    {
        const ProgramPlaces& places = m_setup.places;
        if (const QString notice =
                prefs::notReadNotice(places.preferencesPath, m_setup.info.productName);
            !notice.isEmpty())
            m_messages.info(nullptr, prefs::kPreferencesNotReadCaption, notice);
        if (const QString notice = prefs::frameRateNotice(places.preferencesPath);
            !notice.isEmpty())
            m_messages.info(nullptr, prefs::kFrameRateNoticeCaption, notice);
        const QString profilePath = chosenProfilePath(parser.value(options.profile), places);
        if (profilePath.isEmpty()) {
            if (parser.isSet(options.profile))
                return usageError(m_console, QStringLiteral("no profile %1; --list-profiles "
                                                            "lists them")
                                                 .arg(parser.value(options.profile)));
            m_messages.info(nullptr, QStringLiteral("No Profile"),
                            QStringLiteral("No profile is chosen. Please name one with "
                                           "--profile."));
            return ExitCode::kRefused;
        }
        QString whyNotRead;
        if (!m_profile.load(profilePath, &whyNotRead)) {
            m_messages.info(
                nullptr, QStringLiteral("Profile Not Read"),
                QStringLiteral("The profile %1 was not read: %2.\n%3")
                    .arg(baseNameOf(profilePath),
                         whyNotRead.isEmpty() ? QStringLiteral("no such file") : whyNotRead,
                         profilePath));
            return ExitCode::kRefused;
        }

        prefs::GeneralSettings settings =
            prefs::readMainSettings(places.preferencesPath, places.defaultTempDirectory);
        settings.onePass =
            chosenSwitch(parser, options.onePass, options.twoStages, settings.onePass);
        settings.keepShape =
            chosenSwitch(parser, options.keepShape, options.stretch, settings.keepShape);
        // -y replaces without asking; -n asks, and the question is answered No (below).
        if (parser.isSet(options.overwrite) || parser.isSet(options.noOverwrite)) {
            settings.ask = parser.isSet(options.noOverwrite);
            settings.overwrite = parser.isSet(options.overwrite);
            settings.rename = false;
        }
        if (parser.isSet(options.tempDir))
            settings.tempDir = QDir::current().absoluteFilePath(parser.value(options.tempDir));
        if (parser.isSet(options.frameRate))
            settings.frameRate = prefs::offeredFrameRate(parser.value(options.frameRate));
        if (parser.isSet(options.exactCuts))
            settings.exactCutsInStream = true;

        QList<ClipPart> inputs;
        if (const int named = namedInputs(parser, options, groups, inputs);
            named != ExitCode::kDone)
            return named;
        if (const int added = addInputs(inputs); added != ExitCode::kDone)
            return added;
        if (StopSignals::arrived())
            return stopped();
        if (m_model.rowCount() > 0 && parser.isSet(options.sameSize))
            sizeOfFirstVideo();
        else if (m_model.rowCount() > 0)
            setPictureSize(parser.value(options.size));

        TaskListRows rows(m_model);
        CurrentProfileOutput output(m_profile);
        JoinJob* job = nullptr;
        ConsoleJobView view(m_report,
                            QDir::current().absoluteFilePath(parser.value(options.output)), [&job] {
                                // A stop that came while the job was checked ends it as soon as
                                // it runs.
                                if (StopSignals::arrived())
                                    QTimer::singleShot(0, job, &JoinJob::stop);
                            });
        JoinJob joinJob(view, rows, output, settings, m_seams, places.encoderPath(),
                        places.defaultTempDirectory, m_setup.info.productName);
        job = &joinJob;
        if (parser.isSet(options.noOverwrite))
            m_messages.answerNo(kFileExists, [&view] {
                return QStringLiteral("%1 exists, and --no-overwrite keeps it.")
                    .arg(view.outputFileText());
            });
        if (parser.isSet(options.check))
            return check(joinJob, output, view, settings, parser.isSet(options.noOverwrite));
        if (m_console.verbosity() == Console::Verbosity::Verbose)
            joinJob.setRunEcho([this](const QString& run) { m_console.detail(run); });
        QObject::connect(&m_stopSignals, &StopSignals::stopAsked, &joinJob, &JoinJob::stop);
        // The window's completion actions are not the command line's: it prints the completion
        // and, once the run ends, the path written.
        QObject::connect(&joinJob, &JoinJob::ended, [this](const JobOutcome& outcome) {
            m_end.job = outcome;
            if (outcome.kind == JobOutcome::Kind::Completed)
                m_report.completed(outcome);
        });
        joinJob.start();
        if (!m_end.job)
            return StopSignals::arrived() ? stopped() : ExitCode::kRefused;
        switch (m_end.job->kind) {
        case JobOutcome::Kind::Completed:
            return m_end.job->remark.isEmpty() ? ExitCode::kDone : ExitCode::kJoinedWithFault;
        case JobOutcome::Kind::Stopped:
            return ExitCode::kStopped;
        case JobOutcome::Kind::Failed:
        case JobOutcome::Kind::FailedToStart:
            break;
        }
        return ExitCode::kFailed;
    }

    // Start's checks as the join runs them, then what the join would do; nothing is written or
    // asked. The output, checked, has the profile's extension.
    int check(JoinJob& job, const JobOutput& output, const JobView& view,
              const prefs::GeneralSettings& settings, bool noOverwrite)
    {
        if (!job.check())
            return StopSignals::arrived() ? stopped() : ExitCode::kRefused;
        CheckPlan plan;
        for (int row = 0; row < m_model.rowCount(); ++row) {
            const TaskRow item = m_model.ReadItemData(row);
            plan.inputs << CheckPlan::Input{item.path,      item.length,  item.lengthSeconds(),
                                            item.frameSize, item.inPoint, item.outPoint};
        }
        plan.video = output.copiesVideo()   ? CheckPlan::Video::Copied
                     : job.joinsInOnePass() ? CheckPlan::Video::OnePass
                                            : CheckPlan::Video::TwoStages;
        plan.output = view.outputFileText();
        plan.written = job.writtenPath();
        if (QFileInfo::exists(plan.output)) {
            // Answered in advance, the question is refused as the join refuses it.
            if (noOverwrite) {
                m_messages.ask(nullptr, kFileExists, {});
                return ExitCode::kRefused;
            }
            plan.existing = settings.ask      ? CheckPlan::Existing::Ask
                            : settings.rename ? CheckPlan::Existing::Rename
                                              : CheckPlan::Existing::Overwrite;
        }
        plan.container = output.outputExtension().mid(1);
        plan.profile = baseNameOf(m_profile.path());
        if (!output.copiesVideo()) {
            const PictureRules rules = job.pictureRules();
            plan.size = QString(rules.size).replace(QLatin1Char(':'), QLatin1Char('x'));
            plan.frameRate = rules.frameRate;
        }
        m_report.plan(plan);
        return ExitCode::kDone;
    }

    // The job list's names (relative ones from its folder, as Open List takes them), then the
    // inputs, "-" standing for the names read from standard input, one a line.
    int namedInputs(const QCommandLineParser& parser, const Options& options,
                    const QList<ClipPart>& groups, QList<ClipPart>& inputs)
    {
        // Why a line is no group, or empty.
        const auto named = [&inputs](const QStringList& lines, const QDir& from) {
            for (QString line : lines) {
                if (line.endsWith(QLatin1Char('\r')))
                    line.chop(1);
                // An empty line names nothing, not the folder.
                if (line.isEmpty())
                    continue;
                ListedPart listed = readJobListLine(line);
                if (!listed.error.isEmpty())
                    return QStringLiteral("'%1': %2").arg(line, listed.error);
                listed.part.path = from.absoluteFilePath(listed.part.path);
                inputs << listed.part;
            }
            return QString();
        };
        if (parser.isSet(options.list)) {
            const QString listFile = QDir::current().absoluteFilePath(parser.value(options.list));
            const JobList list = readJobList(listFile);
            if (!list.problem.isEmpty() || !QFileInfo(listFile).isFile()) {
                m_messages.info(nullptr, QString(),
                                QStringLiteral("The job list %1 was not read: %2.")
                                    .arg(listFile, list.problem.isEmpty()
                                                       ? QStringLiteral("no such file")
                                                       : list.problem));
                return ExitCode::kFailed;
            }
            if (const QString why = named(list.lines, QFileInfo(listFile).absoluteDir());
                !why.isEmpty()) {
                m_messages.info(
                    nullptr, QString(),
                    QStringLiteral("The job list %1 was not read: %2.").arg(listFile, why));
                return ExitCode::kFailed;
            }
        }
        for (const QString& input : parser.positionalArguments()) {
            if (const qsizetype group = groupIndexOf(input); group >= 0) {
                inputs << groups[group];
                continue;
            }
            if (input != QLatin1String("-")) {
                inputs << ClipPart{input};
                continue;
            }
            QFile standardInput;
            if (!standardInput.open(stdin, QIODevice::ReadOnly))
                continue;
            if (const QString why =
                    named(QString::fromUtf8(standardInput.readAll()).split(QLatin1Char('\n')),
                          QDir::current());
                !why.isEmpty()) {
                m_messages.info(nullptr, QString(),
                                QStringLiteral("Standard input was not read: %1.").arg(why));
                return ExitCode::kFailed;
            }
        }
        return ExitCode::kDone;
    }

    // Each input probed and listed as the window lists it, a folder's videos as Add Directory
    // adds them; the first that is no video ends the run before anything is written.
    int addInputs(const QList<ClipPart>& inputs)
    {
        QItemSelectionModel selection(&m_model);
        TaskListEditor editor(m_model, selection, m_seams, nullptr);
        for (const ClipPart& part : inputs) {
            const QString& input = part.path;
            const QString path = QDir::cleanPath(QDir::current().absoluteFilePath(input));
            const auto notAVideo = [&](const QString& why) {
                m_messages.info(
                    nullptr, QStringLiteral("Not a Video"),
                    QStringLiteral("'%1' cannot be read as a video: %2").arg(path, why));
                return ExitCode::kFailed;
            };
            if (holdsBytesNotUtf8(input))
                return notAVideo(QStringLiteral("its name is not valid UTF-8."));
            if (QFileInfo(path).isDir() && part.isTrimmed())
                return usageError(m_console,
                                  QStringLiteral("a part is taken of a video, not of the folder "
                                                 "'%1'")
                                      .arg(path));
            if (QFileInfo(path).isDir()) {
                try {
                    editor.addDirectory(path);
                } catch (const ProbeError& error) {
                    return notAVideo(error.message());
                }
                continue;
            }
            if (!QFileInfo(path).isFile())
                return notAVideo(QStringLiteral("no such file."));
            const int rowsBefore = m_model.rowCount();
            const int questionsBefore = m_messages.questionsAsked();
            try {
                editor.addPart(ClipPart{path, part.inPoint, part.outPoint});
            } catch (const ProbeError& error) {
                return notAVideo(error.message());
            } catch (const ClipPartError& error) {
                return usageError(m_console, QStringLiteral("'%1': %2").arg(path, error.message()));
            }
            if (m_model.rowCount() > rowsBefore)
                continue;
            // Answered No on a terminal, the file is left out, as in the window.
            if (m_messages.questionsAsked() == questionsBefore)
                return notAVideo(QStringLiteral("its name is not valid UTF-8."));
            if (StopSignals::arrived())
                return stopped();
            if (!m_console.inputIsTerminal())
                return ExitCode::kRefused;
        }
        return ExitCode::kDone;
    }

    // The size as the Output Settings' manual width and height; the job refuses one that they
    // would refuse. Empty: the profile's own.
    void setPictureSize(const QString& size)
    {
        const QStringList sides = size.split(QLatin1Char('x'));
        if (sides.size() != 2)
            return;
        OutputSelection selection = m_profile.selection();
        selection.selectSize = false;
        selection.width = sides[0];
        selection.height = sides[1];
        m_profile.setSelection(selection);
    }

    // As the Output Settings' "Same as the first video".
    void sizeOfFirstVideo()
    {
        OutputSelection selection = m_profile.selection();
        selection.sizeOfFirstVideo = true;
        m_profile.setSelection(selection);
        m_profile.setFirstVideoSize(m_model.ReadItemData(0).frameSize);
    }

    int stopped()
    {
        m_messages.info(nullptr, QStringLiteral("Cancel"),
                        QStringLiteral("The Joining is canceled."));
        return ExitCode::kStopped;
    }

    static inline const QString kFileExists = QStringLiteral("File Exists");

    Console& m_console;
    RunReport& m_report;
    const ProgramSetup& m_setup;
    RunMessages& m_messages;
    RunEnd m_end;
    StopSignals m_stopSignals;
    NoDesktop m_desktop;
    Seams m_seams;
    CurrentProfile m_profile;
    TaskListModel m_model;
};

} // namespace

QString commandLineWord(const QByteArray& bytes)
{
    if (isUtf8(bytes))
        return QString::fromUtf8(bytes);
    QString word;
    for (qsizetype at = 0; at < bytes.size();) {
        // A UTF-8 character is 1 to 4 bytes long.
        qsizetype length = 1;
        while (length <= 4 && at + length <= bytes.size() && !isUtf8(bytes.mid(at, length)))
            ++length;
        if (length <= 4 && at + length <= bytes.size()) {
            word += QString::fromUtf8(bytes.mid(at, length));
            at += length;
        } else {
            word += QChar(0xDC00 + static_cast<uchar>(bytes[at]));
            ++at;
        }
    }
    return word;
}

bool isCommandLineRun(const QStringList& arguments)
{
    // A video whose name starts with "-" still opens in the window; any other word that does is
    // an option, known or not, so that a mistyped one is reported rather than opened.
    for (const QString& argument : arguments)
        if (argument.startsWith(QLatin1Char('-')) && !QFileInfo::exists(argument))
            return true;
    return false;
}

int runCommandLine(const QStringList& arguments, const QString& executablePath)
{
    Console console;
    const Options options;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Joins videos into one file."));
    parser.addOptions(options.all());
    parser.addPositionalArgument(QStringLiteral("INPUT"),
                                 QStringLiteral("The videos to join, in this order."),
                                 QStringLiteral("INPUT..."));
    // The parser would take a group's -ss for an option of its own.
    const GroupedArguments grouped = takeOutGroups(arguments);
    if (!grouped.error.isEmpty())
        return usageError(console, grouped.error);
    if (!parser.parse(QStringList{kProgramName} + grouped.arguments))
        return usageError(console, parser.errorText());
    const QStringList positional = parser.positionalArguments();
    if (std::count_if(positional.cbegin(), positional.cend(), [](const QString& word) {
            return groupIndexOf(word) >= 0;
        }) != grouped.groups.size())
        return usageError(console, QStringLiteral("a group { VIDEO ... } stands for an INPUT, "
                                                  "not for an option's value"));

    if (parser.isSet(options.help)) {
        // The parser's own usage line names the program as it was started.
        const QString options = parser.helpText().section(QLatin1Char('\n'), 1);
        console.out(kUsage + QLatin1Char('\n') + options + kHelpEpilogue);
        return ExitCode::kDone;
    }
    if (parser.isSet(options.version)) {
        const QString delivered = programDirectoryOf(executablePath) + ProgramLayout::kPreferences;
        console.out(InitProgramInfo(prefs::readVersion(delivered)).caption());
        return ExitCode::kDone;
    }
    const ProgramSetup setup = ProgramSetup::decide(executablePath);
    if (parser.isSet(options.listProfiles)) {
        for (const ListedProfile& profile : listProfiles(setup.places.profileDirectories))
            console.out(profile.name);
        return ExitCode::kDone;
    }
    if (!parser.isSet(options.join) && !parser.isSet(options.check))
        return usageError(console, QStringLiteral("--join, --check, --list-profiles, --help or "
                                                  "--version is needed"));
    if (!parser.isSet(options.output))
        return usageError(console, QStringLiteral("%1 needs -o OUTPUT")
                                       .arg(parser.isSet(options.check) ? "--check" : "--join"));
    if (parser.values(options.output).size() > 1)
        return usageError(console, QStringLiteral("-o OUTPUT is given more than once"));
    // A name that is not UTF-8 reaches the program with its odd bytes replaced: the file written
    // would be another than the one named.
    if (holdsBytesNotUtf8(parser.value(options.output)))
        return usageError(console, QStringLiteral("the output name is not valid UTF-8"));
    if (const QString why = whyOutputNamesNoFile(parser.value(options.output)); !why.isEmpty())
        return usageError(console, why);
    if (parser.isSet(options.profile) && parser.value(options.profile).isEmpty())
        return usageError(console, QStringLiteral("--profile needs a name"));
    for (const auto& [on, off] : {std::pair{&options.onePass, &options.twoStages},
                                  std::pair{&options.keepShape, &options.stretch}})
        if (parser.isSet(*on) && parser.isSet(*off))
            return usageError(console,
                              QStringLiteral("--%1 and --%2 cannot go together")
                                  .arg(on->names().constFirst(), off->names().constFirst()));
    for (const auto& [one, other] :
         {std::pair{&options.join, &options.check},
          std::pair{&options.overwrite, &options.noOverwrite},
          std::pair{&options.quiet, &options.verbose}, std::pair{&options.size, &options.sameSize}})
        if (parser.isSet(*one) && parser.isSet(*other))
            return usageError(console,
                              QStringLiteral("--%1 and --%2 cannot go together")
                                  .arg(one->names().constLast(), other->names().constLast()));
    if (parser.isSet(options.frameRate) &&
        prefs::offeredFrameRate(parser.value(options.frameRate)).isEmpty())
        return usageError(console, QStringLiteral("--frame-rate takes 23.976 to 60, or First, "
                                                  "not '%1'")
                                       .arg(parser.value(options.frameRate)));
    static const QRegularExpression sizeText(QStringLiteral("^[1-9][0-9]{0,4}x[1-9][0-9]{0,4}$"));
    if (parser.isSet(options.size) && !sizeText.match(parser.value(options.size)).hasMatch())
        return usageError(console, QStringLiteral("--size takes WIDTHxHEIGHT, such as 1280x720, "
                                                  "not '%1'")
                                       .arg(parser.value(options.size)));
    // The job would quietly fall back on the default folder.
    if (parser.isSet(options.tempDir) && !QFileInfo(parser.value(options.tempDir)).isDir())
        return usageError(
            console,
            QStringLiteral("--temp-dir '%1' is no folder").arg(parser.value(options.tempDir)));
    if (parser.isSet(options.json)) {
        // A program reads every event, whatever -q or -v asks of the terminal.
        JsonReport json;
        return HeadlessJoin(console, json, setup).run(parser, options, grouped.groups);
    }
    if (parser.isSet(options.quiet))
        console.setVerbosity(Console::Verbosity::Quiet);
    if (parser.isSet(options.verbose))
        console.setVerbosity(Console::Verbosity::Verbose);
    TerminalReport terminal(console);
    return HeadlessJoin(console, terminal, setup).run(parser, options, grouped.groups);
}

bool noDisplayForTheWindow()
{
    const QString platforms = qEnvironmentVariable("QT_QPA_PLATFORM");
    // "offscreen", "vnc", "eglfs", ... need no display; "wayland;xcb" tries both.
    for (const QString& platform : platforms.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        if (!platform.startsWith(QLatin1String("xcb")) &&
            !platform.startsWith(QLatin1String("wayland")))
            return false;
    return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

int reportNoDisplay()
{
    Console console;
    console.err(kProgramName +
                QStringLiteral(": there is no display to open the window on "
                               "(neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                               "To join without a window:\n") +
                kUsage);
    return ExitCode::kNoDisplay;
}

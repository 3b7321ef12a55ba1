#include "JoinJob.h"

#include "ConversionStage.h"
#include "FileStamp.h"
#include "JobFolder.h"
#include "JobView.h"
#include "JoinCheck.h"
#include "JoinStage.h"
#include "OutputContainers.h"
#include "paths/PathText.h"
#include "paths/WholeFile.h"
#include "tasks/TaskRow.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

namespace {

// What to do about videos that cannot be copied: the shipped profile that re-encodes into the
// same container, where there is one.
QString reencodeSuggestion(const QString& outputExtension)
{
    const QString text = QStringLiteral(
        "These videos cannot be joined without re-encoding. Please choose a profile that "
        "re-encodes them");
    const vantomel::OutputContainer* container =
        vantomel::containerWithExtension(outputExtension.mid(1).toStdString());
    if (container && !container->reencodeProfile.empty())
        return text + QStringLiteral(", such as \"%1\".")
                          .arg(QString::fromUtf8(container->reencodeProfile));
    return text + QLatin1Char('.');
}

JobOutcome::Kind outcomeKind(StageOutcome::Kind kind)
{
    switch (kind) {
    case StageOutcome::Kind::Completed:
        return JobOutcome::Kind::Completed;
    case StageOutcome::Kind::Stopped:
        return JobOutcome::Kind::Stopped;
    case StageOutcome::Kind::FailedToStart:
        return JobOutcome::Kind::FailedToStart;
    case StageOutcome::Kind::Failed:
        break;
    }
    return JobOutcome::Kind::Failed;
}

} // namespace

JoinJob::JoinJob(JobView& view, TaskRows& rows, const JobOutput& output,
                 const prefs::GeneralSettings& settings, Seams seams, const QString& encoderPath,
                 const QString& defaultTempDirectory, const QString& productName, QObject* parent)
    : QObject(parent), m_view(view), m_rows(rows), m_output(output), m_settings(settings),
      m_seams(seams), m_defaultTempDirectory(defaultTempDirectory), m_productName(productName),
      m_joinCheck(rows, output, settings), m_encoderCheck(encoderPath), m_step(view, encoderPath),
      m_conversionRunsAtOnce(QThread::idealThreadCount()), m_clock(view)
{
    m_step.setLog(m_log);
}

void JoinJob::start()
{
    if (m_busy)
        return;
    m_endsUntold = false;
    if (!check())
        return;
    if (QFileInfo::exists(m_view.outputFileText()) && m_settings.ask &&
        !m_seams.messages.ask(m_view.owner(), QStringLiteral("File Exists"),
                              QStringLiteral("The output file is existent. Do you want to continue "
                                             "and overwrite it? \n\rClick \"No\" to specify "
                                             "another output filename."))) {
        m_view.focusOutputFile();
        return;
    }
    // Only now, when nothing can refuse the job any more, is anything created. A copy always
    // joins the originals in one pass. A join in one pass needs its folder only for the encoder
    // log, and runs without one when it cannot be made.
    const bool onePass = joinsInOnePass();
    JobFolder folder(m_settings.tempDir, m_defaultTempDirectory);
    if (!onePass && !folder.isValid()) {
        refuse(QStringLiteral("Temp Folder"),
               QStringLiteral("The temporary folder cannot be created. Please specify another one "
                              "in the settings."),
               false);
        return;
    }

    m_log = folder.isValid() ? EncoderLog(folder.path() + kJobFolderLogName) : EncoderLog();
    m_log.setEcho(m_runEcho);
    m_busy = true;
    m_view.setLocked(true);
    runStages(folder, onePass);
    m_log = EncoderLog();
    m_view.setLocked(false);
    m_busy = false;
    emit finished();
}

bool JoinJob::check()
{
    if (m_rows.count() < 2) {
        refuse(QStringLiteral("Add More Videos"),
               QStringLiteral("Please add at least 2 videos to the task for joining."), false);
        return false;
    }
    m_view.focusTaskList();
    return checkOutputFile() && checkOutputIsSafe() && checkProfileValues() &&
           checkEncoderTakesTheJoin();
}

bool JoinJob::joinsInOnePass() const
{
    return m_joinCheck.joinsInOnePass();
}

QString JoinJob::writtenPath() const
{
    return m_joinCheck.writtenPath(m_view.outputFileText());
}

void JoinJob::refuse(const QString& caption, const QString& text, bool focusOutputFile)
{
    m_seams.messages.info(m_view.owner(), caption, text);
    if (focusOutputFile)
        m_view.focusOutputFile();
}

bool JoinJob::checkOutputFile()
{
    const QString text = m_view.outputFileText();
    const QString directory = directoryPart(text);
    if (directory.isEmpty() || !QDir(directory).exists()) {
        refuse(QStringLiteral("Output path does not exist"),
               QStringLiteral("The output path does not exist. Please specify another one."), true);
        return false;
    }
    if (fileNamePart(text).isEmpty()) {
        refuse(QStringLiteral("Icorrect Filename"),
               QStringLiteral("Please specify the output file."), true);
        return false;
    }
    const QString withExtension = withOutputExtension(text, m_output.outputExtension());
    if (withExtension != text)
        m_view.setOutputFileText(withExtension);
    return true;
}

bool JoinJob::checkOutputIsSafe()
{
    const QString output = m_view.outputFileText();
    if (output.contains(QLatin1Char('\n')) || output.contains(QLatin1Char('\r'))) {
        refuse(QStringLiteral("Icorrect Filename"),
               QStringLiteral("The output file name holds a line break. Please specify another "
                              "one."),
               true);
        return false;
    }
    // A file the user protected from writing is not replaced, as a shell's "> file" would not.
    const QString written = writtenPath();
    if (isReadOnlyFile(written)) {
        refuse(QStringLiteral("Read-Only File"),
               QStringLiteral("The output file %1 is read-only. Please specify another one.")
                   .arg(written),
               true);
        return false;
    }
    // Found now rather than after every conversion. The file is made beside the one a link
    // names, so that folder is the one to write in.
    const QFileInfo writtenFile(written);
    const QString linked = writtenFile.isSymLink() ? writtenFile.canonicalFilePath() : QString();
    const QString folder = directoryPart(linked.isEmpty() ? written : linked);
    if (!isWritableFolder(folder)) {
        refuse(QStringLiteral("Output path is read-only"),
               QStringLiteral("The output path %1 cannot be written to. Please specify another "
                              "one.")
                   .arg(folder),
               true);
        return false;
    }
    // Checked here for every join: one through intermediates never shows the encoder the videos,
    // so it could not see that it would write over one of them.
    const FileStamp outputFile = FileStamp::of(output);
    for (int row = 0; row < m_rows.count(); ++row) {
        if (outputFile.isSameFileAs(FileStamp::of(m_rows.clip(row).path))) {
            refuse(QStringLiteral("Same File"),
                   QStringLiteral("The output file is one of the videos to join. Please specify "
                                  "another one."),
                   true);
            return false;
        }
    }
    return true;
}

bool JoinJob::checkProfileValues()
{
    if (m_output.audioBitrateInvalid()) {
        refuse(QStringLiteral("Invalid Audio Bitrate"),
               QStringLiteral("The Audio bitrate is invalid."), false);
        return false;
    }
    // Nothing of a profile value that is not what it stands for may reach the encoder.
    if (const std::optional<OutputRefusal> refusal = m_output.valueRefusal()) {
        refuse(refusal->caption, refusal->text, false);
        return false;
    }
    return true;
}

bool JoinJob::checkEncoderTakesTheJoin()
{
    const EncoderCheck::Answer answer = m_encoderCheck.ask(m_joinCheck.command(writtenPath()));
    // The encoder's reason, then what to do about it.
    const auto refuseWith = [&](const QString& caption, const QString& advice) {
        refuse(caption,
               advice.isEmpty() ? answer.reason : answer.reason + QLatin1Char('\n') + advice,
               false);
        return false;
    };
    switch (answer.kind) {
    case EncoderCheck::Answer::Kind::Refused:
        return refuseWith(QStringLiteral("Invalid Output Settings"), {});
    case EncoderCheck::Answer::Kind::CannotCopy:
        // A reason that offers what to join with instead (another container's copy) says enough.
        return refuseWith(QStringLiteral("Videos Cannot Be Copied"),
                          answer.reason.contains(QLatin1String("join with"))
                              ? QString()
                              : reencodeSuggestion(m_output.outputExtension()));
    case EncoderCheck::Answer::Kind::CannotCopySound:
        return refuseWith(
            QStringLiteral("Videos Cannot Be Copied"),
            QStringLiteral("The pictures can be copied, but the sound cannot. Please choose AAC as "
                           "the Audio Codec in the Output Settings: the sound is then encoded "
                           "once for all videos."));
    case EncoderCheck::Answer::Kind::CannotReadInput:
        return refuseWith(QStringLiteral("Video Cannot Be Read"),
                          QStringLiteral("Please check that the video plays and is still where "
                                         "it was added, or remove it from the list."));
    case EncoderCheck::Answer::Kind::Accepted:
    case EncoderCheck::Answer::Kind::NoAnswer:
        break;
    }
    return true;
}

void JoinJob::runStages(JobFolder& folder, bool onePass)
{
    m_runState = RunState::Running;
    m_clock.start();
    m_runTime.start();
    const JobContext context{m_view, m_rows, m_output, m_settings, m_encoders, m_step, m_runState};
    QStringList silencedInConversion;
    if (!onePass) {
        ConversionStage conversion(context);
        const StageOutcome converted =
            conversion.run(pictureRules(), folder.path(), m_conversionRunsAtOnce);
        if (converted.kind != StageOutcome::Kind::Completed) {
            endJob(Stage::Conversion, converted, folder);
            return;
        }
        silencedInConversion = conversion.silencedInputs();
    }
    JoinStage join(context);
    const StageOutcome joined = join.run(m_joinCheck.plan(folder.path()));
    JoinResult result = join.result();
    result.silencedInputs = silencedInConversion + result.silencedInputs;
    endJob(Stage::Join, joined, folder, result);
}

PictureRules JoinJob::pictureRules() const
{
    return m_joinCheck.pictureRules();
}

void JoinJob::endJob(Stage stage, const StageOutcome& outcome, JobFolder& folder,
                     const JoinResult& joined)
{
    using Kind = StageOutcome::Kind;
    if (outcome.kind == Kind::Completed) {
        complete(joined, folder);
        return;
    }
    m_clock.stop();
    const bool stopped = outcome.kind == Kind::Stopped;
    for (int row = 0; row < m_rows.count(); ++row) {
        const bool failedRun = outcome.row == StageOutcome::kEveryRow || outcome.row == row;
        if (stopped && (failedRun || outcome.otherRows.contains(row)))
            m_rows.setStatus(row, TaskStatus::Stop);
        // A failed job keeps no intermediate: the rows it did not fail on are as they were added.
        else if (!stopped)
            m_rows.setStatus(row, failedRun ? TaskStatus::Failed : TaskStatus::Ok);
    }
    JobOutcome result;
    result.kind = outcomeKind(outcome.kind);
    result.outputFile = m_view.outputFileText();
    result.untold = m_endsUntold;
    // A failed job keeps its log for the user, and only that; a stopped one leaves nothing.
    if (stopped)
        folder.remove();
    else
        result.keptLogPath = folder.keepOnly(kJobFolderLogName);

    const bool conversion = stage == Stage::Conversion;
    switch (outcome.kind) {
    case Kind::Stopped:
        if (m_endsUntold)
            break;
        m_seams.messages.info(m_view.owner(), QStringLiteral("Cancel"),
                              conversion ? QStringLiteral("The Coversion is canceled.")
                                         : QStringLiteral("The Joining is canceled."));
        break;
    case Kind::Failed: {
        QString text = conversion ? QStringLiteral("The conversion of '%1' failed.")
                                        .arg(QFileInfo(m_rows.clip(outcome.row).path).fileName())
                                  : QStringLiteral("The joining failed.");
        if (!outcome.reason.isEmpty())
            text += QLatin1Char('\n') + outcome.reason;
        showFailure(text, result.keptLogPath);
        break;
    }
    case Kind::FailedToStart:
        m_seams.messages.plain(m_productName,
                               QStringLiteral("Error. Please re-install ") + m_productName);
        break;
    case Kind::Completed:
        break;
    }
    m_view.showProgressPanel(false);
    // A Stop during the conversion leaves the run state at "stopped" until the next Start.
    m_runState = stopped && conversion ? RunState::Stopped : RunState::Idle;
    emit ended(result);
}

void JoinJob::showFailure(const QString& text, const QString& keptLogPath)
{
    const QString caption = QStringLiteral("Error");
    if (keptLogPath.isEmpty()) {
        m_seams.messages.errorWithDetails(m_view.owner(), caption, text, QString());
        return;
    }
    // Enough of the log to see what the encoder said last; the whole is in the file.
    constexpr int kShownLines = 40;
    m_seams.messages.errorWithDetails(m_view.owner(), caption, text,
                                      QStringLiteral("The encoder's log is kept in %1\n\n%2")
                                          .arg(keptLogPath, lastLinesOf(keptLogPath, kShownLines)));
}

void JoinJob::complete(const JoinResult& joined, JobFolder& folder)
{
    m_view.setCurrentBar(100);
    m_view.setTotalBar(100);
    m_clock.stop();
    for (int row = 0; row < m_rows.count(); ++row) {
        m_view.pumpEvents();
        m_rows.setStatus(row, TaskStatus::Complete);
    }
    folder.remove();

    JobOutcome outcome;
    outcome.outputFile = m_view.outputFileText();
    outcome.writtenPath = joined.outputPath;
    outcome.runSeconds = m_runTime.elapsed() / 1000.0;
    outcome.silenceNote = silenceNote(joined.silencedInputs);
    outcome.droppedNote = joined.droppedTracks.join(QLatin1Char(' '));
    outcome.stopCameTooLate = m_runState == RunState::Stopped;
    outcome.untold = m_endsUntold;
    if (!m_endsUntold)
        checkResult(joined, outcome);
    emit ended(outcome);
    m_runState = RunState::Idle;
    m_view.showProgressPanel(false);
}

void JoinJob::checkResult(const JoinResult& joined, JobOutcome& outcome) const
{
    QStringList inputs;
    std::optional<double> expectedLength = 0;
    for (int row = 0; row < m_rows.count(); ++row) {
        const JobClip clip = m_rows.clip(row);
        inputs << clip.path;
        if (clip.takenLength() >= 0 && expectedLength)
            *expectedLength += clip.takenLength();
        else
            expectedLength.reset();
    }
    outcome.check = ResultCheck::measure(joined.outputPath, inputs, expectedLength, joined.report);
    outcome.remark = ResultCheck::remark(*outcome.check);
}

void JoinJob::stop()
{
    if (m_runState != RunState::Running)
        return;
    m_runState = RunState::Stopped;
    m_encoders.terminateAll();
}

void JoinJob::stopForClosing()
{
    m_endsUntold = true;
    stop();
}

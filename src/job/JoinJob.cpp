#include "JoinJob.h"

#include "ConversionStage.h"
#include "JobView.h"
#include "JoinStage.h"
#include "app/ProgramInfo.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

JoinJob::JoinJob(JobView& view, TaskRows& rows, JobSettings& settings, Seams seams,
                 const QString& encoderPath, const QString& defaultTempDirectory,
                 const QString& productName, QObject* parent)
    : QObject(parent), m_view(view), m_rows(rows), m_settings(settings), m_seams(seams),
      m_defaultTempDirectory(defaultTempDirectory),
      m_step(m_encoder, view, seams.messages, encoderPath, productName), m_clock(view)
{
}

void JoinJob::tbtnStartClick()
{
    if (m_busy)
        return;
    if (m_rows.count() < 2) {
        m_seams.messages.info(
            m_view.owner(), QStringLiteral("Add More Videos"),
            QStringLiteral("Please add at least 2 videos to the task for joining."));
        return;
    }
    m_view.focusTaskList();
    if (!checkOutputFile())
        return;
    if (m_settings.audioBitrateInvalid()) {
        m_seams.messages.info(m_view.owner(), QStringLiteral("Invalid Audio Bitrate"),
                              QStringLiteral("The Audio bitrate is invalid."));
        return;
    }
    const QString tempDirectory = prepareTempDirectory();
    if (tempDirectory.isEmpty()) {
        m_seams.messages.info(m_view.owner(), QStringLiteral("Temp Folder"),
                              QStringLiteral("The temporary folder cannot be created. Please "
                                             "specify another one in the settings."));
        return;
    }
    if (QFileInfo::exists(m_view.outputFileText()) && m_settings.askBeforeOverwrite() &&
        !m_seams.messages.ask(m_view.owner(), QStringLiteral("File Exists"),
                              QStringLiteral("The output file is existent. Do you want to continue "
                                             "and overwrite it? \n\rClick \"No\" to specify "
                                             "another output filename."))) {
        m_view.focusOutputFile();
        return;
    }

    m_busy = true;
    m_view.setLocked(true);
    runStages(tempDirectory);
    m_view.setLocked(false);
    m_busy = false;
    emit finished();
}

bool JoinJob::checkOutputFile()
{
    const QString text = m_view.outputFileText();
    const qsizetype slash = text.lastIndexOf(QLatin1Char('/'));
    if (slash < 0 || !QDir(text.left(slash + 1)).exists()) {
        m_seams.messages.info(m_view.owner(), QStringLiteral("Output path does not exist"),
                              QStringLiteral("The output path does not exist. Please specify "
                                             "another one."));
        m_view.focusOutputFile();
        return false;
    }
    const QString fileName = text.mid(slash + 1);
    if (fileName.isEmpty()) {
        m_seams.messages.info(m_view.owner(), QStringLiteral("Icorrect Filename"),
                              QStringLiteral("Please specify the output file."));
        m_view.focusOutputFile();
        return false;
    }
    // The old extension stays: movie.avi becomes movie.avi.wmv.
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot >= 0 ? fileName.mid(dot) : QString();
    const QString wanted = m_settings.outputExtension();
    if (extension.compare(wanted, Qt::CaseInsensitive) != 0)
        m_view.setOutputFileText(text + wanted);
    return true;
}

namespace {

bool usableDirectory(const QString& directory)
{
    if (directory.isEmpty())
        return false;
    if (!QFileInfo(directory).isDir() && !QDir().mkdir(directory))
        return false;
    QTemporaryFile probe(directory + QStringLiteral("probe-XXXXXX"));
    return probe.open();
}

} // namespace

QString JoinJob::prepareTempDirectory() const
{
    const QString chosen = withTrailingSlash(m_settings.tempDir());
    if (usableDirectory(chosen))
        return chosen;
    return usableDirectory(m_defaultTempDirectory) ? m_defaultTempDirectory : QString();
}

void JoinJob::runStages(const QString& tempDirectory)
{
    const JobContext context{m_view,    m_rows, m_settings, m_seams,
                             m_encoder, m_step, m_clock,    m_runState};
    if (ConversionStage(context).run(m_settings.pictureSizeText(), tempDirectory) !=
        StageEnd::Completed)
        return;
    if (m_runState == RunState::Stopped)
        return;
    JoinStage(context).run(m_settings.encoderOptions(), tempDirectory);
}

void JoinJob::tbtnStopClick()
{
    if (m_runState != RunState::Running)
        return;
    m_runState = RunState::Stopped;
    m_encoder.terminate();
}

#include "JoinCheck.h"

#include "EncoderContract.h"
#include "JobView.h"
#include "paths/PathText.h"
#include "prefs/Preferences.h"

#include <QDir>

JoinCheck::JoinCheck(const TaskRows& rows, const JobOutput& output,
                     const prefs::GeneralSettings& settings)
    : m_rows(rows), m_output(output), m_settings(settings)
{
}

JoinPlan JoinCheck::plan(const QString& jobFolder) const
{
    const QString options = m_output.encoderOptions();
    if (m_output.copiesVideo()) {
        // Only with the user's consent: some players refuse parameter sets in the stream.
        const QString inBandSets = QLatin1Char(' ') + QLatin1String(vantomel::kInBandSetsOption);
        return copyJoinPlan(m_rows, m_settings.exactCutsInStream ? options + inBandSets : options);
    }
    return m_settings.onePass ? onePassJoinPlan(m_rows, options, pictureRules())
                              : intermediatesJoinPlan(m_rows, jobFolder, options);
}

PictureRules JoinCheck::pictureRules() const
{
    return {m_output.pictureSizeText(), m_settings.keepShape, m_settings.frameRate,
            m_output.displayAspectText()};
}

bool JoinCheck::joinsInOnePass() const
{
    return m_settings.onePass || m_output.copiesVideo();
}

QString JoinCheck::writtenPath(const QString& outputFileText) const
{
    const QString extension = m_output.outputExtension();
    return joinStageOutput(withOutputExtension(outputFileText, extension), extension, m_settings);
}

EncoderCommand JoinCheck::command(const QString& writtenPath) const
{
    const QString folder =
        withTrailingSlash(QDir(m_settings.tempDir).absoluteFilePath(QStringLiteral("job")));
    return plan(folder).commandFor(writtenPath);
}

QString withOutputExtension(const QString& outputFileText, const QString& extension)
{
    if (extensionOf(outputFileText).compare(extension, Qt::CaseInsensitive) == 0)
        return outputFileText;
    return outputFileText + extension;
}

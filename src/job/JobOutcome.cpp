#include "JobOutcome.h"

#include <QFileInfo>
#include <QStringList>

QString completionText(const JobOutcome& outcome)
{
    // The output file box names the file the user expects; a renamed join wrote another.
    const QFileInfo asked(outcome.outputFile);
    const QFileInfo written(outcome.writtenPath);
    const QString where =
        written.absoluteFilePath() == asked.absoluteFilePath()
            ? QStringLiteral("The video was written to %1.").arg(written.absoluteFilePath())
            : QStringLiteral("%1 already existed, so the video was written to %2.")
                  .arg(asked.fileName(), written.absoluteFilePath());
    QStringList lines{QStringLiteral("The joining is completed successfully."), where,
                      outcome.remark, outcome.silenceNote, outcome.droppedNote};
    lines.removeAll(QString());
    return lines.join(QLatin1Char('\n'));
}

#include "JobContext.h"

#include "EncoderCommand.h"
#include "JobClock.h"
#include "JobView.h"

#include <QFile>

void JobContext::deleteIntermediates(const QString& tempDirectory) const
{
    if (tempDirectory.isEmpty())
        return;
    for (int k = 0; k < rows.count(); ++k)
        QFile::remove(intermediatePath(tempDirectory, k));
}

void JobContext::setAllStatuses(const QString& status) const
{
    for (int k = 0; k < rows.count(); ++k)
        rows.setStatus(k, status);
}

void JobContext::returnToSettings() const
{
    clock.stop();
    view.showProgressPanel(false);
}

void JobContext::reportFailure(const QString& tempDirectory, const QString& what,
                               const QString& encoderMessage) const
{
    clock.stop();
    deleteIntermediates(tempDirectory);
    QString text = what;
    if (!encoderMessage.isEmpty())
        text += QLatin1Char('\n') + encoderMessage;
    seams.messages.info(view.owner(), QStringLiteral("Error"), text);
    returnToSettings();
    runState = RunState::Idle;
}

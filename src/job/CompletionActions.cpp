#include "CompletionActions.h"

#include "JobOutcome.h"
#include "JobView.h"
#include "prefs/Preferences.h"

#include <QFileInfo>

void CompletionActions::jobEnded(const JobOutcome& outcome)
{
    if (outcome.kind != JobOutcome::Kind::Completed)
        return;
    // A Stop that came too late to undo the join still keeps the computer on and the program open.
    if (m_settings.autoTurnOff && !outcome.stopCameTooLate) {
        m_seams.power.powerOff();
        m_view.closeWindow();
        return;
    }
    if (m_settings.autoExit && !outcome.stopCameTooLate) {
        m_view.closeWindow();
        return;
    }
    if (outcome.untold)
        return;
    m_seams.messages.info(m_view.owner(), QStringLiteral("Complete"), completionText(outcome));
    if (m_settings.autoOpenDir)
        m_seams.shell.open(m_view.owner(), QFileInfo(outcome.outputFile).path());
}

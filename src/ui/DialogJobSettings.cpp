#include "DialogJobSettings.h"

#include "TSettingForm.h"
#include "TopSettingForm.h"
#include "profiles/EncoderOptions.h"
#include "profiles/SelectionChecks.h"

DialogJobSettings::DialogJobSettings(const TopSettingForm& outputSettings,
                                     const TSettingForm& settings,
                                     std::function<QString()> profilePath)
    : m_outputSettings(outputSettings), m_settings(settings), m_profilePath(std::move(profilePath))
{
}

QString DialogJobSettings::outputExtension() const
{
    return m_outputSettings.outputExtension();
}

QString DialogJobSettings::pictureSizeText() const
{
    return ::pictureSizeText(m_profilePath(), m_outputSettings.outputSelection());
}

QString DialogJobSettings::encoderOptions() const
{
    return GetEncoderOptions(m_profilePath(), m_outputSettings.outputSelection());
}

bool DialogJobSettings::audioBitrateInvalid() const
{
    return checkSelectionForStart(m_outputSettings.outputSelection()).has_value();
}

QString DialogJobSettings::tempDir() const
{
    return m_settings.currentSettings().tempDir;
}

bool DialogJobSettings::joinInOnePass() const
{
    return m_settings.currentSettings().onePass;
}

bool DialogJobSettings::askBeforeOverwrite() const
{
    return m_settings.currentSettings().ask;
}

bool DialogJobSettings::renameExisting() const
{
    return m_settings.currentSettings().rename;
}

bool DialogJobSettings::turnOffWhenDone() const
{
    return m_settings.currentSettings().autoTurnOff;
}

bool DialogJobSettings::exitWhenDone() const
{
    return m_settings.currentSettings().autoExit;
}

bool DialogJobSettings::openDirWhenDone() const
{
    return m_settings.currentSettings().autoOpenDir;
}

#include "DialogJobSettings.h"

#include "TSettingForm.h"
#include "profiles/CurrentProfile.h"
#include "profiles/EncoderOptions.h"
#include "profiles/SelectionChecks.h"

DialogJobSettings::DialogJobSettings(const CurrentProfile& profile, const TSettingForm& settings)
    : m_profile(profile), m_settings(settings)
{
}

QString DialogJobSettings::outputExtension() const
{
    return m_profile.outputExtension();
}

QString DialogJobSettings::pictureSizeText() const
{
    return ::pictureSizeText(m_profile);
}

QString DialogJobSettings::encoderOptions() const
{
    return GetEncoderOptions(m_profile);
}

bool DialogJobSettings::audioBitrateInvalid() const
{
    return checkSelectionForStart(m_profile.selection()).has_value();
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

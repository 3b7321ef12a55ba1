#pragma once

#include "job/JobView.h"

class CurrentProfile;
class TSettingForm;

// The job's settings when the job needs them: what describes the output from the current
// profile, which the Output Settings dialog edits, and the rest from the live controls of the
// General Settings dialog.
class DialogJobSettings : public JobSettings
{
public:
    DialogJobSettings(const CurrentProfile& profile, const TSettingForm& settings);

    QString outputExtension() const override;
    QString pictureSizeText() const override;
    QString encoderOptions() const override;
    bool audioBitrateInvalid() const override;
    QString tempDir() const override;
    bool joinInOnePass() const override;
    bool askBeforeOverwrite() const override;
    bool renameExisting() const override;
    bool turnOffWhenDone() const override;
    bool exitWhenDone() const override;
    bool openDirWhenDone() const override;

private:
    const CurrentProfile& m_profile;
    const TSettingForm& m_settings;
};

#pragma once

#include "job/JobView.h"

#include <functional>

class TopSettingForm;
class TSettingForm;

// The job's settings, read from the live controls of the two settings dialogs when the job
// needs them.
class DialogJobSettings : public JobSettings
{
public:
    // profilePath gives the path of the profile chosen in the main window's profile box.
    DialogJobSettings(const TopSettingForm& outputSettings, const TSettingForm& settings,
                      std::function<QString()> profilePath);

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
    const TopSettingForm& m_outputSettings;
    const TSettingForm& m_settings;
    std::function<QString()> m_profilePath;
};

#pragma once

#include "platform/Seams.h"

#include <QStringList>
#include <memory>

class TMainForm;
class TAboutForm;
class TopSettingForm;
class TSettingForm;

// The windows that live from start-up to exit, created once in this order: the main window
// (its creation fixes the program directory and identity), then the About box, the Output
// Settings dialog and the General Settings dialog, hidden. Commands show these and never
// create new ones.
class Startup
{
public:
    // arguments: the command line without the program name.
    Startup(Seams seams, const QString& executablePath, const QStringList& arguments = {});
    ~Startup();

    TMainForm& mainForm() const { return *m_mainForm; }
    TAboutForm& aboutForm() const { return *m_aboutForm; }
    TopSettingForm& opSettingForm() const { return *m_opSettingForm; }
    TSettingForm& settingForm() const { return *m_settingForm; }

private:
    std::unique_ptr<TMainForm> m_mainForm;
    std::unique_ptr<TAboutForm> m_aboutForm;
    std::unique_ptr<TopSettingForm> m_opSettingForm;
    std::unique_ptr<TSettingForm> m_settingForm;
};

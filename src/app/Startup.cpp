#include "Startup.h"

#include "ui/TAboutForm.h"
#include "ui/TMainForm.h"
#include "ui/TSettingForm.h"
#include "ui/TopSettingForm.h"

Startup::Startup(Seams seams, const QString& executablePath, const QStringList& arguments)
    : m_mainForm(std::make_unique<TMainForm>(seams, executablePath, arguments)),
      m_aboutForm(std::make_unique<TAboutForm>()),
      m_opSettingForm(std::make_unique<TopSettingForm>()),
      m_settingForm(std::make_unique<TSettingForm>())
{
    m_mainForm->attachDialogs(m_aboutForm.get(), m_opSettingForm.get(), m_settingForm.get());
}

Startup::~Startup() = default;

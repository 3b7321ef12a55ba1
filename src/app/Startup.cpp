#include "Startup.h"

#include "ui/TAboutForm.h"
#include "ui/TMainForm.h"
#include "ui/TSettingForm.h"
#include "ui/TopSettingForm.h"

#include <QLineEdit>

namespace {

// The main window's output file box, by its control name; none yet means nothing to follow.
OutputFileBox outputFileBoxOf(QWidget& mainWindow)
{
    QLineEdit* box = mainWindow.findChild<QLineEdit*>(QStringLiteral("edtOutputFile"));
    if (!box)
        return {};
    return {[box] { return box->text(); }, [box](const QString& text) { box->setText(text); }};
}

} // namespace

Startup::Startup(Seams seams, const QString& executablePath, const QStringList& arguments)
    : m_mainForm(std::make_unique<TMainForm>(seams, executablePath, arguments)),
      m_aboutForm(
          std::make_unique<TAboutForm>(seams.shell, m_mainForm->programInfo(), m_mainForm.get())),
      m_opSettingForm(std::make_unique<TopSettingForm>(seams, m_mainForm.get())),
      m_settingForm(std::make_unique<TSettingForm>(seams, m_mainForm->programInfo(),
                                                   m_mainForm.get(), outputFileBoxOf(*m_mainForm)))
{
    m_mainForm->attachDialogs(m_aboutForm.get(), m_opSettingForm.get(), m_settingForm.get());
}

Startup::~Startup() = default;

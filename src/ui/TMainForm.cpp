#include "TMainForm.h"

#include "prefs/Preferences.h"
#include "ui_TMainForm.h"

#include <QApplication>

TMainForm::TMainForm(Seams seams, const QString& executablePath, QWidget* parent)
    : QMainWindow(parent), m_seams(seams), ui(std::make_unique<Ui::TMainForm>())
{
    ui->setupUi(this);
    FormCreate(executablePath);
}

TMainForm::~TMainForm() = default;

void TMainForm::FormCreate(const QString& executablePath)
{
    const QString programDirectory = programDirectoryOf(executablePath);
    const QString version = prefs::readVersion(prefs::preferencesPath(programDirectory));
    m_info = InitProgramInfo(programDirectory, version);

    QApplication::setApplicationDisplayName(m_info.productName);
    setWindowTitle(m_info.caption());
    ui->labProgramName->setText(m_info.productName);
}

void TMainForm::attachDialogs(TAboutForm* about, TopSettingForm* outputSettings,
                              TSettingForm* settings)
{
    m_aboutForm = about;
    m_opSettingForm = outputSettings;
    m_settingForm = settings;
}

#include "TSettingForm.h"

#include "platform/DialogFilters.h"
#include "prefs/IniFile.h"
#include "prefs/SettingsEditing.h"
#include "ui_TSettingForm.h"

#include <QCloseEvent>
#include <QStyle>

TSettingForm::TSettingForm(Seams seams, const ProgramInfo& info, QWidget* mainWindow,
                           OutputFileBox mainOutputFile, QWidget* parent)
    : QDialog(parent), m_seams(seams), m_preferencesPath(info.preferencesPath()),
      m_programDirectory(info.programDirectory), m_mainWindow(mainWindow),
      m_mainOutputFile(std::move(mainOutputFile)), ui(std::make_unique<Ui::TSettingForm>())
{
    ui->setupUi(this);
    ui->SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    ui->SpeedButton2->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));

    connect(ui->btnOK, &QPushButton::clicked, this, &TSettingForm::btnOKClick);
    connect(ui->btnCancel, &QPushButton::clicked, this, &TSettingForm::btnCancelClick);
    connect(ui->btnDefault, &QPushButton::clicked, this, &TSettingForm::btnDefaultClick);
    connect(ui->SpeedButton1, &QToolButton::clicked, this, &TSettingForm::SpeedButton1Click);
    connect(ui->SpeedButton2, &QToolButton::clicked, this, &TSettingForm::SpeedButton2Click);
    FormCreate();
}

TSettingForm::~TSettingForm() = default;

prefs::GeneralSettings TSettingForm::currentSettings() const
{
    prefs::GeneralSettings settings;
    settings.outputFile = ui->edtOutputFile->text();
    settings.tempDir = ui->edtTempDir->text();
    settings.autoOpenDir = ui->chkOpenDir->isChecked();
    settings.autoExit = ui->chkExit->isChecked();
    settings.autoTurnOff = ui->chkTurnoff->isChecked();
    settings.ask = ui->rdbAsk->isChecked();
    settings.overwrite = ui->rdbOverWrite->isChecked();
    settings.rename = ui->rdbRename->isChecked();
    return settings;
}

void TSettingForm::reject()
{
    btnCancelClick();
}

void TSettingForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // A spontaneous show is the window system restoring the dialog, not a new showing.
    if (!event->spontaneous())
        FormShow();
}

void TSettingForm::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        FormClose();
}

void TSettingForm::closeEvent(QCloseEvent* event)
{
    // The close box only hides the dialog; QDialog would treat it as Cancel.
    event->accept();
}

void TSettingForm::FormCreate()
{
    LoadSettings();
    m_snapshot = currentSettings();
}

void TSettingForm::FormShow()
{
    if (m_mainWindow) {
        m_mainWindow->setEnabled(false);
        move(m_mainWindow->frameGeometry().center() - rect().center());
    }
    if (m_mainOutputFile.text)
        ui->edtOutputFile->setText(m_mainOutputFile.text());
    m_snapshot = currentSettings();
}

void TSettingForm::FormClose()
{
    if (m_mainWindow)
        m_mainWindow->setEnabled(true);
}

void TSettingForm::btnOKClick()
{
    if (m_mainOutputFile.setText)
        m_mainOutputFile.setText(ui->edtOutputFile->text());
    try {
        SaveSettings();
    } catch (const IniWriteError& error) {
        m_seams.messages.error(this, error.message());
        return;
    } catch (const std::exception& error) {
        m_seams.messages.error(this, QString::fromLocal8Bit(error.what()));
        return;
    }
    close();
}

void TSettingForm::btnCancelClick()
{
    close();
    showSettings(m_snapshot);
}

void TSettingForm::btnDefaultClick()
{
    if (!m_seams.messages.ask(this, QStringLiteral("Load Default"),
                              QStringLiteral("Are you sure to load the default preferences?")))
        return;
    showSettings(prefs::withFactoryDefaults(currentSettings(),
                                            prefs::readDefaultSettings(m_preferencesPath)));
}

void TSettingForm::SpeedButton1Click()
{
    const QString chosen =
        m_seams.dialogs.saveFile(this, outputFileFilter(), kOutputFileDefaultSuffix);
    if (!chosen.isEmpty())
        ui->edtOutputFile->setText(chosen);
}

void TSettingForm::SpeedButton2Click()
{
    const QString chosen =
        m_seams.dialogs.browseForFolder(this, QStringLiteral("Select the output directory."));
    if (!chosen.isEmpty())
        ui->edtTempDir->setText(prefs::tempFolderText(chosen));
}

void TSettingForm::LoadSettings()
{
    showSettings(prefs::readMainSettings(m_preferencesPath, m_programDirectory));
}

void TSettingForm::SaveSettings()
{
    prefs::writeMainSettings(m_preferencesPath, currentSettings());
}

void TSettingForm::showSettings(const prefs::GeneralSettings& settings)
{
    ui->edtOutputFile->setText(settings.outputFile);
    ui->edtTempDir->setText(settings.tempDir);
    ui->chkOpenDir->setChecked(settings.autoOpenDir);
    ui->chkExit->setChecked(settings.autoExit);
    ui->chkTurnoff->setChecked(settings.autoTurnOff);

    // An exclusive group refuses to clear its selected button; "none selected" is a valid state.
    const prefs::GeneralSettings choice = prefs::withOverwriteChoiceResolved(settings);
    const std::pair<QRadioButton*, bool> radios[] = {{ui->rdbAsk, choice.ask},
                                                     {ui->rdbOverWrite, choice.overwrite},
                                                     {ui->rdbRename, choice.rename}};
    for (const auto& [radio, selected] : radios) {
        radio->setAutoExclusive(false);
        radio->setChecked(selected);
    }
    for (const auto& [radio, selected] : radios)
        radio->setAutoExclusive(true);
}

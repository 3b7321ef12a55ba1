#include "TSettingForm.h"

#include "FrameRateBox.h"
#include "prefs/IniFile.h"
#include "prefs/SettingsEditing.h"
#include "profiles/OutputFileChoice.h"
#include "program/ProgramPlaces.h"
#include "ui_TSettingForm.h"

#include <QStyle>

TSettingForm::TSettingForm(Seams seams, const ProgramPlaces& places, const CurrentProfile& profile,
                           prefs::GeneralSettings& settings, QWidget* mainWindow,
                           OutputFileBox mainOutputFile)
    : OwnedDialog(mainWindow), m_seams(seams), m_profile(profile), m_settings(settings),
      m_preferencesPath(places.preferencesPath), m_mainOutputFile(std::move(mainOutputFile)),
      ui(std::make_unique<Ui::TSettingForm>())
{
    ui->setupUi(this);
    ui->btnBrowseOutputFile->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    ui->btnBrowseTempDir->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));

    connect(ui->btnOK, &QPushButton::clicked, this, &TSettingForm::btnOKClick);
    connect(ui->btnCancel, &QPushButton::clicked, this, &TSettingForm::btnCancelClick);
    connect(ui->btnDefault, &QPushButton::clicked, this, &TSettingForm::btnDefaultClick);
    connect(ui->btnBrowseOutputFile, &QToolButton::clicked, this, &TSettingForm::browseOutputFile);
    connect(ui->btnBrowseTempDir, &QToolButton::clicked, this, &TSettingForm::browseTempFolder);
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
    settings.onePass = ui->chkOnePass->isChecked();
    settings.keepShape = ui->chkKeepShape->isChecked();
    settings.exactCutsInStream = ui->chkExactCuts->isChecked();
    settings.frameRate = frameRateInBox(ui->cmbFrameRate);
    return settings;
}

void TSettingForm::reject()
{
    btnCancelClick();
}

void TSettingForm::FormCreate()
{
    fillFrameRateBox(ui->cmbFrameRate);
    showSettings(m_settings);
    m_snapshot = currentSettings();
}

void TSettingForm::hideEvent(QHideEvent* event)
{
    m_settings = currentSettings();
    OwnedDialog::hideEvent(event);
    emit hidden();
}

void TSettingForm::FormShow()
{
    if (m_mainOutputFile.text)
        ui->edtOutputFile->setText(m_mainOutputFile.text());
    // The Output Settings show the rate too, and may have changed it; the copy line's link may
    // have turned on the exact cuts.
    showFrameRate(ui->cmbFrameRate, m_settings.frameRate);
    ui->chkExactCuts->setChecked(m_settings.exactCutsInStream);
    m_snapshot = currentSettings();
}

void TSettingForm::btnOKClick()
{
    if (m_mainOutputFile.setText)
        m_mainOutputFile.setText(ui->edtOutputFile->text());
    // Applies even when it cannot be saved: the job runs with what the user chose.
    m_settings = currentSettings();
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
    showSettings(m_snapshot);
    close();
}

void TSettingForm::btnDefaultClick()
{
    if (!m_seams.messages.ask(this, QStringLiteral("Load Default"),
                              QStringLiteral("Are you sure to load the default preferences?")))
        return;
    showSettings(prefs::withFactoryDefaults(currentSettings(),
                                            prefs::readDefaultSettings(m_preferencesPath)));
}

void TSettingForm::browseOutputFile()
{
    const QString chosen = chooseOutputFile(m_seams.dialogs, this, m_profile.outputExtension());
    if (!chosen.isEmpty())
        ui->edtOutputFile->setText(chosen);
}

void TSettingForm::browseTempFolder()
{
    const QString chosen =
        m_seams.dialogs.browseForFolder(this, QStringLiteral("Select the output directory."));
    if (!chosen.isEmpty())
        ui->edtTempDir->setText(prefs::tempFolderText(chosen));
}

void TSettingForm::SaveSettings()
{
    prefs::writeMainSettings(m_preferencesPath, m_settings);
}

void TSettingForm::showSettings(const prefs::GeneralSettings& settings)
{
    ui->edtOutputFile->setText(settings.outputFile);
    ui->edtTempDir->setText(settings.tempDir);
    ui->chkOpenDir->setChecked(settings.autoOpenDir);
    ui->chkExit->setChecked(settings.autoExit);
    ui->chkTurnoff->setChecked(settings.autoTurnOff);
    ui->chkOnePass->setChecked(settings.onePass);
    ui->chkKeepShape->setChecked(settings.keepShape);
    ui->chkExactCuts->setChecked(settings.exactCutsInStream);
    showFrameRate(ui->cmbFrameRate, settings.frameRate);

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

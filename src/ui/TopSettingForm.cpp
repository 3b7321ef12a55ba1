#include "TopSettingForm.h"

#include "FrameRateBox.h"
#include "paths/PathText.h"
#include "prefs/IniFile.h"
#include "profiles/EncoderOptions.h"
#include "profiles/ProfileSaving.h"
#include "ui_TopSettingForm.h"

#include <QLineEdit>

namespace {

const char* const kHintProperty = "hint";

} // namespace

TopSettingForm::TopSettingForm(Seams seams, CurrentProfile& profile, QStringList profileDirectories,
                               prefs::GeneralSettings& settings, QString preferencesPath,
                               QWidget* mainWindow)
    : OwnedDialog(mainWindow), m_seams(seams), ui(std::make_unique<Ui::TopSettingForm>()),
      m_profile(profile), m_settings(settings), m_preferencesPath(std::move(preferencesPath)),
      m_profileDirectories(std::move(profileDirectories))
{
    ui->setupUi(this);
    FormCreate();

    for (OutputSetting setting : kOutputSettings) {
        QComboBox* settingBox = box(setting);
        settingBox->installEventFilter(this);
        if (settingBox->isEditable()) {
            // Typed text must stay as typed: no completion, no items added on Enter.
            settingBox->setCompleter(nullptr);
            settingBox->lineEdit()->installEventFilter(this);
            connect(settingBox->lineEdit(), &QLineEdit::textEdited, this,
                    [this, settingBox] { settingBoxChange(settingBox); });
        }
        // activated comes from the user only, so filling and restoring run no reaction.
        if (setting == OutputSetting::AudioCodec)
            connect(settingBox, &QComboBox::activated, this, &TopSettingForm::cmbAcodecChange);
        else if (setting == OutputSetting::Mp3Encode)
            connect(settingBox, &QComboBox::activated, this, &TopSettingForm::cmbEncodeToChange);
        else
            connect(settingBox, &QComboBox::activated, this,
                    [this, settingBox] { settingBoxChange(settingBox); });
        // Whoever changes a control (the user, a load, Cancel, the MP2 limit), the profile's
        // selection follows.
        connect(settingBox, &QComboBox::currentIndexChanged, this, &TopSettingForm::storeSelection);
        connect(settingBox, &QComboBox::editTextChanged, this, &TopSettingForm::storeSelection);
    }
    for (QRadioButton* sizeMode : {ui->rdbSelectSize, ui->rdbFirstVideoSize, ui->rdbManualSize})
        connect(sizeMode, &QRadioButton::toggled, this, &TopSettingForm::storeSelection);
    for (QLineEdit* sizeField : {ui->edtWidth, ui->edtHeight})
        connect(sizeField, &QLineEdit::textChanged, this, &TopSettingForm::storeSelection);
    connect(ui->btnOK, &QPushButton::clicked, this, &TopSettingForm::btnOKClick);
    connect(ui->btnCancel, &QPushButton::clicked, this, &TopSettingForm::btnCancelClick);
    connect(ui->btnSaveAs, &QPushButton::clicked, this, &TopSettingForm::btnSaveAsClick);
}

TopSettingForm::~TopSettingForm()
{
    // The controls outlive this class's members; they must not call back into it meanwhile.
    for (QObject* control : findChildren<QObject*>())
        control->disconnect(this);
}

QLabel* TopSettingForm::tracksLine() const
{
    return ui->labTracks;
}

void TopSettingForm::FormCreate()
{
    setFixedSize(413, 473);
    // The two pairs and the two panels share their places; only one of each shows at a time.
    ui->labBitrate->move(ui->labBitrate->x(), ui->labQuality->y());
    ui->cmbBitrate->move(ui->cmbBitrate->x(), ui->cmbQuality->y());
    ui->panLavc->resize(377, ui->panLavc->height());
    ui->panMP3->setGeometry(ui->panLavc->x(), ui->panMP3->y(), 377, ui->panMP3->height());
    showPanelForAudioCodec();
    fillFrameRateBox(ui->cmbFrameRate);
    // A profile is saved as a changed copy of the one loaded.
    ui->btnSaveAs->setEnabled(m_profile.file() != nullptr);

    QPalette memoPalette = ui->memDescription->palette();
    memoPalette.setColor(QPalette::Base, palette().color(QPalette::Window));
    ui->memDescription->setPalette(memoPalette);
}

QComboBox* TopSettingForm::box(OutputSetting setting) const
{
    switch (setting) {
    case OutputSetting::VideoCodec:
        return ui->cmbVcodec;
    case OutputSetting::VideoSize:
        return ui->cmbVideoSize;
    case OutputSetting::VideoBitrate:
        return ui->cmbVbitrate;
    case OutputSetting::Aspect:
        return ui->cmbAspect;
    case OutputSetting::AudioCodec:
        return ui->cmbAcodec;
    case OutputSetting::Mp3Encode:
        return ui->cmbEncodeTo;
    case OutputSetting::VbrQuality:
        return ui->cmbQuality;
    case OutputSetting::AbrCbrBitrate:
        return ui->cmbBitrate;
    case OutputSetting::AudioBitrate:
        return ui->cmbAbitrate;
    case OutputSetting::SampleRate:
        return ui->cmbSrate;
    case OutputSetting::Channels:
        return ui->cmbChannels;
    }
    return nullptr;
}

void TopSettingForm::LoadProfile(const QString& path)
{
    QString whyNotRead;
    if (!m_profile.load(path, &whyNotRead)) {
        // Once for each file: choosing it again changes nothing either.
        if (!whyNotRead.isEmpty() && !m_toldNotRead.contains(path)) {
            m_toldNotRead.insert(path);
            m_seams.messages.info(parentWidget(), QStringLiteral("Profile Not Read"),
                                  QStringLiteral("The profile %1 was not read: %2.\n%3\n\nThe "
                                                 "Output Settings stay as they were.")
                                      .arg(baseNameOf(path), whyNotRead, path));
        }
        return;
    }
    ui->btnSaveAs->setEnabled(true);
    // The controls' changes below store their own selection: the loaded size mode goes first.
    const bool firstVideoSize = m_profile.selection().sizeOfFirstVideo;
    for (OutputSetting setting : kOutputSettings) {
        QComboBox* settingBox = box(setting);
        const ProfileChoiceList& choices = m_profile.choices(setting);
        settingBox->clear();
        settingBox->addItems(choices.captions);
        settingBox->setCurrentIndex(choices.index);
        if (settingBox->isEditable())
            settingBox->setEditText(settingBox->itemText(choices.index));
        if (setting == OutputSetting::AudioCodec)
            cmbAcodecChange();
        else if (setting == OutputSetting::Mp3Encode)
            cmbEncodeToChange();
    }
    if (firstVideoSize)
        ui->rdbFirstVideoSize->setChecked(true);
    else if (ui->rdbFirstVideoSize->isChecked())
        ui->rdbSelectSize->setChecked(true);
    storeSelection();
}

OutputSelection TopSettingForm::selectionInControls() const
{
    OutputSelection selection;
    for (OutputSetting setting : kOutputSettings)
        selection[setting] = {box(setting)->currentIndex(), box(setting)->currentText()};
    selection.selectSize = ui->rdbSelectSize->isChecked();
    selection.sizeOfFirstVideo = ui->rdbFirstVideoSize->isChecked();
    selection.width = ui->edtWidth->text();
    selection.height = ui->edtHeight->text();
    return selection;
}

void TopSettingForm::storeSelection()
{
    m_profile.setSelection(selectionInControls());
    greyUnusedSettings();
    emit selectionChanged();
}

void TopSettingForm::settingBoxEnter(QComboBox* settingBox)
{
    // The section is found by the box's hint, so every hint is its section's name.
    const QString section = settingBox->property(kHintProperty).toString();
    ui->memDescription->setPlainText(m_profile.description(section) + QLatin1Char('\n') +
                                     QStringLiteral("Current Value: ") + settingBox->currentText());
}

void TopSettingForm::settingBoxChange(QComboBox* settingBox)
{
    settingBoxEnter(settingBox);
}

void TopSettingForm::cmbAcodecChange()
{
    showPanelForAudioCodec();
    settingBoxChange(ui->cmbAcodec);
}

void TopSettingForm::cmbEncodeToChange()
{
    showPairForEncodeMode();
    settingBoxChange(ui->cmbEncodeTo);
}

void TopSettingForm::showPanelForAudioCodec()
{
    const bool mp3 = ui->cmbAcodec->currentText() == QLatin1String("MP3");
    ui->panMP3->setVisible(mp3);
    ui->panLavc->setVisible(!mp3);
}

void TopSettingForm::greyUnusedSettings()
{
    const auto usedOrGrey = [this](OutputSetting setting, std::initializer_list<QWidget*> widgets) {
        for (QWidget* widget : widgets)
            widget->setEnabled(!settingUnused(m_profile, setting));
    };
    usedOrGrey(OutputSetting::VideoBitrate,
               {ui->labVbitrate, ui->cmbVbitrate, ui->labVbitrateUnit});
    usedOrGrey(OutputSetting::Aspect, {ui->labAspect, ui->cmbAspect});
    usedOrGrey(OutputSetting::VideoSize, {ui->gpbOutputSize, ui->labFrameRate, ui->cmbFrameRate});
    usedOrGrey(OutputSetting::AudioBitrate, {ui->panLavc});
    usedOrGrey(OutputSetting::Mp3Encode, {ui->panMP3});
    usedOrGrey(OutputSetting::Channels, {ui->labChannels, ui->cmbChannels});
    usedOrGrey(OutputSetting::SampleRate, {ui->labSrate, ui->cmbSrate, ui->labSrateUnit});
}

void TopSettingForm::showPairForEncodeMode()
{
    // Choice 0 is the variable-bitrate mode by convention of the profiles.
    const bool variable = ui->cmbEncodeTo->currentIndex() == 0;
    ui->labQuality->setVisible(variable);
    ui->cmbQuality->setVisible(variable);
    ui->labBitrate->setVisible(!variable);
    ui->cmbBitrate->setVisible(!variable);
}

void TopSettingForm::btnOKClick()
{
    if (refuseSelection())
        return;
    const QString frameRate = frameRateInBox(ui->cmbFrameRate);
    if (frameRate != m_settings.frameRate) {
        // Applies even when it cannot be saved: the job runs with what the user chose.
        m_settings.frameRate = frameRate;
        try {
            prefs::writeFrameRate(m_preferencesPath, frameRate);
        } catch (const IniWriteError& error) {
            m_seams.messages.error(this, error.message());
            return;
        }
    }
    accept();
}

void TopSettingForm::btnSaveAsClick()
{
    // A profile that OK would refuse is not kept either.
    if (refuseSelection())
        return;
    const std::optional<QString> name =
        saveProfileAs(m_seams.messages, m_seams.dialogs, this, m_profile, m_profileDirectories);
    if (!name)
        return;
    emit profileSaved(*name);
    // What was saved is what Cancel goes back to.
    rememberValues();
}

bool TopSettingForm::refuseSelection()
{
    const auto refusal = checkOutputSelection(m_profile.selection());
    if (!refusal)
        return false;
    m_seams.messages.info(this, refusal->caption, refusal->text);
    if (refusal->limitAudioBitrate)
        ui->cmbAbitrate->setEditText(QString::number(kMaxMp2Bitrate));
    focusRefusedControl(refusal->field);
    return true;
}

void TopSettingForm::focusRefusedControl(SelectionRefusal::Field field)
{
    using Field = SelectionRefusal::Field;
    switch (field) {
    case Field::VideoBitrate:
        ui->cmbVbitrate->setFocus();
        break;
    case Field::Width:
        ui->edtWidth->setFocus();
        break;
    case Field::Height:
        ui->edtHeight->setFocus();
        break;
    case Field::SampleRate:
        ui->cmbSrate->setFocus();
        break;
    case Field::AudioBitrate:
        // With "MP3" the audio bitrate box is hidden; the codec box is where to change that.
        if (ui->panLavc->isHidden())
            ui->cmbAcodec->setFocus();
        else
            ui->cmbAbitrate->setFocus();
        break;
    }
}

void TopSettingForm::btnCancelClick()
{
    QDialog::reject();
    const OutputSelection& remembered = m_remembered.selection;
    for (OutputSetting setting : kOutputSettings) {
        QComboBox* settingBox = box(setting);
        settingBox->setCurrentIndex(remembered[setting].index);
        if (settingBox->isEditable())
            settingBox->setEditText(remembered[setting].text);
    }
    if (remembered.sizeOfFirstVideo)
        ui->rdbFirstVideoSize->setChecked(true);
    else if (remembered.selectSize)
        ui->rdbSelectSize->setChecked(true);
    else if (m_remembered.manualSize)
        ui->rdbManualSize->setChecked(true);
    ui->edtWidth->setText(remembered.width);
    ui->edtHeight->setText(remembered.height);
    // The panels follow the restored choices, so what shows is what the options are made of.
    showPanelForAudioCodec();
    showPairForEncodeMode();
}

void TopSettingForm::reject()
{
    btnCancelClick();
}

void TopSettingForm::FormShow()
{
    showFrameRate(ui->cmbFrameRate, m_settings.frameRate);
    rememberValues();
}

void TopSettingForm::rememberValues()
{
    m_remembered = {m_profile.selection(), ui->rdbManualSize->isChecked()};
}

bool TopSettingForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        for (OutputSetting setting : kOutputSettings) {
            QComboBox* settingBox = box(setting);
            if (watched == settingBox || watched == settingBox->lineEdit())
                settingBoxEnter(settingBox);
        }
    }
    return QDialog::eventFilter(watched, event);
}

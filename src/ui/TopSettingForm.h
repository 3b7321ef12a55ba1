#pragma once

#include "OwnedDialog.h"
#include "platform/Seams.h"
#include "prefs/Preferences.h"
#include "profiles/CurrentProfile.h"
#include "profiles/SelectionChecks.h"

#include <QSet>
#include <memory>

namespace Ui {
class TopSettingForm;
}
class QComboBox;
class QLabel;

// The Output Settings dialog: shows the eleven settings of the current profile and lets the user
// change them for the running program; every change of its controls goes into the profile's
// selection at once. Beside the size it shows the joined video's frame rate, the General
// Settings' own: OK keeps it there and in the preferences file. "Save As..." keeps them as a new
// profile in the user's profile folder; no other profile file is ever written. A dialog of the main
// window.
class TopSettingForm : public OwnedDialog
{
    Q_OBJECT

public:
    // profile: what the dialog shows and edits; it outlives the dialog. profileDirectories: the
    // folders the profiles are listed from, the user's own last. settings: the General Settings,
    // whose frame rate the dialog shows and changes, kept in preferencesPath.
    TopSettingForm(Seams seams, CurrentProfile& profile, QStringList profileDirectories,
                   prefs::GeneralSettings& settings, QString preferencesPath, QWidget* mainWindow);
    ~TopSettingForm() override;

    // Loads the profile at path and fills the dialog from it; a path where no file exists
    // changes nothing, and neither does a file that is not read (the user is told once).
    void LoadProfile(const QString& path);
    // "." + the output type of the profile loaded; empty before the first load.
    QString outputExtension() const { return m_profile.outputExtension(); }

    void reject() override; // Escape: as Cancel

    // The line on the tracks the output will have.
    QLabel* tracksLine() const;

signals:
    // A profile of that name was saved into the user's profile folder: the profile box lists
    // it and selects it.
    void profileSaved(const QString& name);
    // The profile's selection changed: a load, a control, Cancel.
    void selectionChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormShow() override;
    // Any of the eleven setting boxes getting the focus or changing: shows its description.
    void settingBoxEnter(QComboBox* box);
    void settingBoxChange(QComboBox* box);
    void cmbAcodecChange();
    void cmbEncodeToChange();
    void btnOKClick();
    void btnSaveAsClick();
    // Shows what OK refuses in the selection, and focuses the control to change; false when
    // nothing is refused.
    bool refuseSelection();
    void rememberValues();
    void btnCancelClick();

    QComboBox* box(OutputSetting setting) const;
    OutputSelection selectionInControls() const;
    void storeSelection();
    void showPanelForAudioCodec();
    void showPairForEncodeMode();
    // Greys out the settings that a copy of the videos' own streams leaves out; it follows every
    // change of the selection.
    void greyUnusedSettings();
    void focusRefusedControl(SelectionRefusal::Field field);

    // Control values taken when the dialog is shown, put back by Cancel.
    struct RememberedValues
    {
        OutputSelection selection;
        bool manualSize = false;
    };

    Seams m_seams;
    std::unique_ptr<Ui::TopSettingForm> ui;
    CurrentProfile& m_profile;
    prefs::GeneralSettings& m_settings;
    QString m_preferencesPath;
    QStringList m_profileDirectories;
    RememberedValues m_remembered;
    QSet<QString> m_toldNotRead; // profile files the user was told were not read
};

#pragma once

#include "OwnedDialog.h"
#include "platform/Seams.h"
#include "prefs/Preferences.h"
#include "profiles/CurrentProfile.h"

#include <functional>
#include <memory>

namespace Ui {
class TSettingForm;
}
struct ProgramPlaces;

// How the dialog reaches the main window's output file box: it takes the text when shown and
// puts its own back on OK.
struct OutputFileBox
{
    std::function<QString()> text;
    std::function<void(const QString&)> setText;
};

// The General Settings dialog, a dialog of the main window. It edits a copy of the program's
// General Settings and hands it back when it hides: OK also writes the preferences file; Cancel
// first puts back what the controls held when it was shown; the close box keeps the edits without
// saving them.
class TSettingForm : public OwnedDialog
{
    Q_OBJECT

public:
    // places: the preferences file; profile: whose output type the output file dialog offers
    // first; settings: what the dialog shows and changes, which outlives it.
    TSettingForm(Seams seams, const ProgramPlaces& places, const CurrentProfile& profile,
                 prefs::GeneralSettings& settings, QWidget* mainWindow,
                 OutputFileBox mainOutputFile);
    ~TSettingForm() override;

    // The values as the controls hold them now.
    prefs::GeneralSettings currentSettings() const;

    // Escape acts as Cancel.
    void reject() override;

signals:
    // The dialog hid, and the program's General Settings hold what it shows.
    void hidden();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void FormCreate();
    void FormShow() override;
    void btnOKClick();
    void btnCancelClick();
    void btnDefaultClick();
    void browseOutputFile();
    void browseTempFolder();
    void SaveSettings();

    void showSettings(const prefs::GeneralSettings& settings);

    Seams m_seams;
    const CurrentProfile& m_profile;
    prefs::GeneralSettings& m_settings;
    QString m_preferencesPath;
    OutputFileBox m_mainOutputFile;
    prefs::GeneralSettings m_snapshot;
    std::unique_ptr<Ui::TSettingForm> ui;
};

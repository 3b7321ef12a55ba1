#pragma once

#include "OwnedDialog.h"
#include "platform/Seams.h"
#include "profiles/OutputSelection.h"
#include "profiles/OutputSetting.h"
#include "profiles/SelectionChecks.h"

#include <memory>

namespace Ui {
class TopSettingForm;
}
class QComboBox;

// The Output Settings dialog: shows the eleven settings of the loaded profile, lets the user
// change them for the running program and holds them as the output selection. It never writes
// a profile. A dialog of the main window.
class TopSettingForm : public OwnedDialog
{
    Q_OBJECT

public:
    TopSettingForm(Seams seams, QWidget* mainWindow);
    ~TopSettingForm() override;

    // Fills the dialog from the profile at path; a path where no file exists changes nothing.
    void LoadProfile(const QString& path);

    // The profile last loaded; empty before the first load.
    const QString& currentProfilePath() const { return m_currentProfilePath; }
    // "." + the output type of the profile last loaded; empty before the first load.
    const QString& outputExtension() const { return m_outputExtension; }
    // What the controls hold now, whether or not the dialog was ever shown.
    OutputSelection outputSelection() const;

    void reject() override; // Escape: as Cancel

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
    void btnCancelClick();

    QComboBox* box(OutputSetting setting) const;
    void showPanelForAudioCodec();
    void showPairForEncodeMode();
    void focusRefusedControl(SelectionRefusal::Field field);

    // Control values taken when the dialog is shown, put back by Cancel.
    struct RememberedValues
    {
        OutputSelection selection;
        bool manualSize = false;
    };

    Seams m_seams;
    std::unique_ptr<Ui::TopSettingForm> ui;
    QString m_currentProfilePath;
    QString m_outputExtension;
    RememberedValues m_remembered;
};

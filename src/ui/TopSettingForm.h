#pragma once

#include "platform/Seams.h"
#include "profiles/OutputSelection.h"
#include "profiles/OutputSetting.h"
#include "profiles/SelectionChecks.h"

#include <QDialog>
#include <QPointer>
#include <memory>

namespace Ui {
class TopSettingForm;
}
class QComboBox;

// The Output Settings dialog: shows the eleven settings of the loaded profile, lets the user
// change them for the running program and holds them as the output selection. It never writes
// a profile. Shown without a modal loop; the main window is disabled while it is up.
class TopSettingForm : public QDialog
{
    Q_OBJECT

public:
    // mainWindow is disabled while the dialog is shown; it is not the dialog's parent.
    TopSettingForm(Seams seams, QWidget* mainWindow, QWidget* parent = nullptr);
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
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();
    void cmbVcodecEnter(QComboBox* box);
    void cmbVcodecChange(QComboBox* box);
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
    QPointer<QWidget> m_mainWindow;
    std::unique_ptr<Ui::TopSettingForm> ui;
    QString m_currentProfilePath;
    QString m_outputExtension;
    RememberedValues m_remembered;
};

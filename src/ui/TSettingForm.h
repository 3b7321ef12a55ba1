#pragma once

#include "app/ProgramInfo.h"
#include "platform/Seams.h"
#include "prefs/Preferences.h"

#include <QDialog>
#include <QPointer>
#include <functional>
#include <memory>

namespace Ui {
class TSettingForm;
}

// How the dialog reaches the main window's output file box: it takes the text when shown and
// puts its own back on OK.
struct OutputFileBox
{
    std::function<QString()> text;
    std::function<void(const QString&)> setText;
};

// The General Settings dialog. Created once at start-up, hidden, and never destroyed before exit;
// its controls are the live preferences that the join job reads through currentSettings().
// Only OK writes Preferences.ini; Cancel puts back what the controls held when it was shown;
// the close box keeps the edits without saving them.
class TSettingForm : public QDialog
{
    Q_OBJECT

public:
    // mainWindow is disabled while the dialog is shown; it is not the dialog's parent.
    TSettingForm(Seams seams, const ProgramInfo& info, QWidget* mainWindow,
                 OutputFileBox mainOutputFile, QWidget* parent = nullptr);
    ~TSettingForm() override;

    // The eight values as the controls hold them now.
    prefs::GeneralSettings currentSettings() const;

    // Escape acts as Cancel.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();
    void btnOKClick();
    void btnCancelClick();
    void btnDefaultClick();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void LoadSettings();
    void SaveSettings();

    void showSettings(const prefs::GeneralSettings& settings);

    Seams m_seams;
    QString m_preferencesPath;
    QString m_programDirectory;
    QPointer<QWidget> m_mainWindow;
    OutputFileBox m_mainOutputFile;
    prefs::GeneralSettings m_snapshot;
    std::unique_ptr<Ui::TSettingForm> ui;
};

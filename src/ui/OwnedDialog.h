#pragma once

#include <QDialog>

// A dialog of the main window, created once at start-up and hidden. A command shows it without a
// modal loop of its own; while it shows, the main window is disabled and blocked, so that neither
// its controls nor the window manager's close button reach it, and the dialog sits centred on it
// with no task-bar entry of its own. The close box, Escape and the dialog's buttons only hide it;
// it lives as long as the main window.
class OwnedDialog : public QDialog
{
    Q_OBJECT

public:
    explicit OwnedDialog(QWidget* mainWindow);

protected:
    // What the dialog itself does each time the program shows it, after the main window has
    // been disabled.
    virtual void FormShow() {}

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // The close box hides the dialog and does nothing else; QDialog would take it as Cancel.
    void closeEvent(QCloseEvent* event) override;

private:
    void setMainWindowEnabled(bool enabled);
};

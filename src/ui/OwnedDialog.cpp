#include "OwnedDialog.h"

#include <QCloseEvent>
#include <QShowEvent>

OwnedDialog::OwnedDialog(QWidget* mainWindow) : QDialog(mainWindow)
{
    setWindowModality(Qt::WindowModal);
}

void OwnedDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // A spontaneous show is the window system restoring the dialog, not a new showing.
    if (event->spontaneous())
        return;
    setMainWindowEnabled(false);
    if (QWidget* mainWindow = parentWidget())
        move(mainWindow->frameGeometry().center() - rect().center());
    FormShow();
}

void OwnedDialog::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        setMainWindowEnabled(true);
}

void OwnedDialog::closeEvent(QCloseEvent* event)
{
    event->accept();
}

void OwnedDialog::setMainWindowEnabled(bool enabled)
{
    QWidget* mainWindow = parentWidget();
    if (!mainWindow)
        return;
    mainWindow->setEnabled(enabled);
    // Disabling a window disables its child windows too; this one must stay usable.
    if (!enabled)
        setEnabled(true);
}

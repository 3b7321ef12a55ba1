#include "MainWindowJobView.h"

#include "ui_TMainForm.h"

#include <QCoreApplication>
#include <QLayout>

MainWindowJobView::MainWindowJobView(QMainWindow& window, Ui::TMainForm& ui, Taskbar& taskbar,
                                     std::function<void()> closeWindow)
    : m_window(window), ui(ui), m_taskbar(taskbar), m_closeWindow(std::move(closeWindow))
{
}

QWidget* MainWindowJobView::owner()
{
    return &m_window;
}

void MainWindowJobView::setProcessTitle(const QString& title)
{
    ui.labProcessTitle->setText(title);
    // A longer title can need a wider window. Left to the event loop, each layout from the strip
    // up to the window takes the change on its own turn, and a paint in between shows the title
    // cut; so the whole way up is laid out at once.
    for (QWidget* widget = ui.panBottomLeft; widget; widget = widget->parentWidget())
        if (QLayout* layout = widget->layout())
            layout->activate();
}

void MainWindowJobView::setConvertingFile(const QString& name)
{
    ui.labConvertingFile->setText(name);
    // A long name shows shortened; the whole name is a hover away.
    ui.labConvertingFile->setToolTip(name);
}

void MainWindowJobView::setConvertingFileVisible(bool visible)
{
    ui.labConvertingFile->setVisible(visible);
}

void MainWindowJobView::setElapsedText(const QString& text)
{
    ui.labElapsed->setText(text);
}

void MainWindowJobView::setRemainingText(const QString& text)
{
    ui.labRemaining->setText(text);
}

int MainWindowJobView::currentBar() const
{
    return ui.pgbCurrent->value();
}

void MainWindowJobView::setCurrentBar(int position)
{
    ui.pgbCurrent->setValue(position);
    ui.labCurProgress->setText(QString::number(ui.pgbCurrent->value()) + QLatin1Char('%'));
}

int MainWindowJobView::totalBar() const
{
    return ui.pgbTotal->value();
}

void MainWindowJobView::setTotalBar(int position)
{
    ui.pgbTotal->setValue(position);
    ui.labTotalProgress->setText(QString::number(ui.pgbTotal->value()) + QLatin1Char('%'));
    if (m_locked)
        m_taskbar.showProgress(ui.pgbTotal->value());
}

void MainWindowJobView::showProgressPanel(bool show)
{
    ui.panBottomCenter->setVisible(!show);
    ui.panBottomLeft->setVisible(show);
}

void MainWindowJobView::setLocked(bool locked)
{
    for (QAction* button :
         {ui.tbtnAddFile, ui.tbtnAddDir, ui.tbtnUp, ui.tbtnDown, ui.tbtnRemove, ui.tbtnClear,
          ui.tbtnStart, ui.tbtnSetting, ui.mnuOpenList, ui.mnuSaveList})
        button->setEnabled(!locked);
    ui.tbtnStop->setEnabled(locked);
    // The rows stay readable and the list scrollable, the live Status column with them; only
    // the rows themselves take no clicks, drags or drops.
    ui.ltvTask->viewport()->setEnabled(!locked);
    m_locked = locked;
    if (!locked)
        m_taskbar.clearProgress();
}

void MainWindowJobView::focusTaskList()
{
    ui.ltvTask->setFocus();
}

void MainWindowJobView::focusOutputFile()
{
    ui.edtOutputFile->setFocus();
}

QString MainWindowJobView::outputFileText() const
{
    return ui.edtOutputFile->text();
}

void MainWindowJobView::setOutputFileText(const QString& text)
{
    ui.edtOutputFile->setText(text);
}

void MainWindowJobView::pumpEvents()
{
    QCoreApplication::processEvents();
}

void MainWindowJobView::closeWindow()
{
    m_closeWindow();
}

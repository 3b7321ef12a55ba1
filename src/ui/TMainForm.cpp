#include "TMainForm.h"

#include "prefs/Preferences.h"
#include "tasks/TaskListEditor.h"
#include "ui_TMainForm.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QResizeEvent>
#include <QToolButton>

namespace {

constexpr int kToolBarHeight = 75;
constexpr QSize kToolButtonSize(56, 54);
// On the header alone: a style sheet on the whole list would slow down painting its rows.
const QString kHeaderStyle = QStringLiteral(
    "QHeaderView::section { background-color: rgb(243, 243, 243); border: none;"
    " border-right: 1px solid rgb(213, 213, 213); border-bottom: 1px solid rgb(213, 213, 213);"
    " padding: 3px 4px; }");

} // namespace

TMainForm::TMainForm(Seams seams, const QString& executablePath, const QStringList& arguments,
                     QWidget* parent)
    : QMainWindow(parent), m_seams(seams), ui(std::make_unique<Ui::TMainForm>())
{
    ui->setupUi(this);
    FormCreate(executablePath, arguments);
}

TMainForm::~TMainForm()
{
    // The controls outlive this class's members; they must not call back into it meanwhile.
    for (QWidget* watched :
         std::initializer_list<QWidget*>{ui->ltvTask, ui->ltvTask->viewport(), ui->labCompany})
        watched->removeEventFilter(this);
    ui->ltvTask->setModel(nullptr);
}

void TMainForm::FormCreate(const QString& executablePath, const QStringList& arguments)
{
    const QString programDirectory = programDirectoryOf(executablePath);
    const QString version = prefs::readVersion(prefs::preferencesPath(programDirectory));
    m_info = InitProgramInfo(programDirectory, version);

    QApplication::setApplicationDisplayName(m_info.productName);
    setWindowTitle(m_info.caption());
    ui->labProgramName->setText(m_info.productName);
    ui->labCompany->setText(m_info.companyName + QStringLiteral("  ") + m_info.webPage);
    ui->labCompany->installEventFilter(this);

    setUpToolBar();
    setUpTaskList();
    m_taskListEditor->addCommandLine(arguments);
    setAcceptDrops(true);

    // The window's first layout is a resize of the list like any other; the starting widths
    // then replace what it made of them, and the reference is the list's real width.
    layout()->activate();
    centralWidget()->layout()->activate();
    ui->panWork->layout()->activate();
    ltvTaskResize(ui->ltvTask->width());
    for (int column = 0; column < TaskListModel::ColumnCount; ++column)
        ui->ltvTask->header()->resizeSection(column, ColumnWidths::kStartWidths[column]);
}

void TMainForm::setUpToolBar()
{
    ui->tbrMain->setFixedHeight(kToolBarHeight);
    for (QAction* action : ui->tbrMain->actions()) {
        if (auto* button = qobject_cast<QToolButton*>(ui->tbrMain->widgetForAction(action)))
            button->setFixedSize(kToolButtonSize);
    }
    connect(ui->tbtnAddFile, &QAction::triggered, this,
            [this] { m_taskListEditor->addFilesFromDialog(); });
    connect(ui->tbtnAddDir, &QAction::triggered, this, &TMainForm::tbtnAddDirClick);
    connect(ui->tbtnUp, &QAction::triggered, this, [this] { m_taskListEditor->MoveUp(); });
    connect(ui->tbtnDown, &QAction::triggered, this, [this] { m_taskListEditor->MoveDown(); });
    connect(ui->tbtnRemove, &QAction::triggered, this, [this] { m_taskListEditor->Remove(); });
    connect(ui->tbtnClear, &QAction::triggered, this, [this] { m_taskListEditor->Clear(); });
}

void TMainForm::setUpTaskList()
{
    ui->ltvTask->setModel(&m_taskList);
    ui->ltvTask->header()->setStyleSheet(kHeaderStyle);
    ui->ltvTask->header()->setSectionsMovable(false);
    ui->ltvTask->installEventFilter(this);
    m_taskListEditor =
        std::make_unique<TaskListEditor>(m_taskList, *ui->ltvTask->selectionModel(), m_seams, this);
    connect(m_taskListEditor.get(), &TaskListEditor::addingFile, ui->panltvTask, &QWidget::hide);
    connect(m_taskListEditor.get(), &TaskListEditor::taskButtonsEnabled, this,
            &TMainForm::setTaskButtonsEnabled);
    // Anywhere in the list, not only on a row: the selection decides what opens.
    ui->ltvTask->viewport()->installEventFilter(this);

    ppmTask = new QMenu(this);
    ppmTask->setObjectName(QStringLiteral("ppmTask"));
    ppmTask->addAction(ui->mnuOpen);
    ppmTask->addSeparator();
    ppmTask->addAction(ui->mnuAddFiles);
    ppmTask->addAction(ui->mnuAddDirectory);
    ppmTask->addSeparator();
    ppmTask->addAction(ui->mnuRemove);
    ppmTask->addAction(ui->mnuClear);
    connect(ppmTask, &QMenu::aboutToShow, this, &TMainForm::ppmTaskPopup);
    connect(ui->ltvTask, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { ppmTask->popup(ui->ltvTask->viewport()->mapToGlobal(at)); });
    connect(ui->mnuOpen, &QAction::triggered, this, &TMainForm::ltvTaskDblClick);
    connect(ui->mnuAddFiles, &QAction::triggered, ui->tbtnAddFile, &QAction::trigger);
    connect(ui->mnuAddDirectory, &QAction::triggered, ui->tbtnAddDir, &QAction::trigger);
    connect(ui->mnuRemove, &QAction::triggered, this, [this] { m_taskListEditor->Remove(); });
    connect(ui->mnuClear, &QAction::triggered, this, [this] { m_taskListEditor->Clear(); });
}

void TMainForm::attachDialogs(TAboutForm* about, TopSettingForm* outputSettings,
                              TSettingForm* settings)
{
    m_aboutForm = about;
    m_opSettingForm = outputSettings;
    m_settingForm = settings;
}

void TMainForm::setTaskListEnabled(bool enabled)
{
    ui->ltvTask->setEnabled(enabled);
}

bool TMainForm::isTaskListEnabled() const
{
    return ui->ltvTask->isEnabled();
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    event->acceptProposedAction();
    ui->panltvTask->hide();
    // A running job has locked the list; its rows must stay as they are.
    if (isTaskListEnabled())
        m_taskListEditor->addDropped(paths);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->ltvTask) {
        if (event->type() == QEvent::KeyPress)
            return ltvTaskKeyDown(static_cast<QKeyEvent*>(event)->key());
        if (event->type() == QEvent::Resize)
            ltvTaskResize(static_cast<QResizeEvent*>(event)->size().width());
    } else if (watched == ui->ltvTask->viewport()) {
        if (event->type() == QEvent::MouseButtonDblClick)
            ltvTaskDblClick();
    } else if (watched == ui->labCompany && event->type() == QEvent::MouseButtonRelease) {
        labCompanyClick();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::tbtnAddDirClick()
{
    m_taskListEditor->addDirectoryFromDialog();
    ui->ltvTask->setFocus();
}

void TMainForm::ltvTaskDblClick()
{
    m_taskListEditor->OpenSelected();
}

void TMainForm::ppmTaskPopup()
{
    const bool hasSelection = m_taskListEditor->hasSelection();
    ui->mnuOpen->setEnabled(hasSelection);
    ui->mnuRemove->setEnabled(hasSelection);
    ui->mnuClear->setEnabled(m_taskList.rowCount() > 0);
}

bool TMainForm::ltvTaskKeyDown(int key)
{
    if (key == Qt::Key_Backspace) {
        m_taskListEditor->Clear();
        return true;
    }
    if (key == Qt::Key_Delete) {
        m_taskListEditor->Remove();
        return true;
    }
    return false;
}

void TMainForm::ltvTaskResize(int newWidth)
{
    const std::array<int, 4> changes = m_columnWidths.resized(newWidth);
    QHeaderView* header = ui->ltvTask->header();
    for (int column = 0; column < TaskListModel::ColumnCount; ++column) {
        if (changes[column] != 0)
            header->resizeSection(column, header->sectionSize(column) + changes[column]);
    }
}

void TMainForm::labCompanyClick()
{
    m_seams.shell.open(this, m_info.webPage);
}

void TMainForm::setTaskButtonsEnabled(bool enabled)
{
    for (QAction* button : {ui->tbtnUp, ui->tbtnDown, ui->tbtnRemove, ui->tbtnClear, ui->tbtnStart})
        button->setEnabled(enabled);
}

#include "TMainForm.h"

#include "CopyNoteMark.h"
#include "CopyOutlookLine.h"
#include "Pictures.h"
#include "PreviewDialog.h"
#include "RowPictures.h"
#include "TAboutForm.h"
#include "TSettingForm.h"
#include "TaskListColumns.h"
#include "TopSettingForm.h"
#include "job/ClosingDuringJob.h"
#include "job/CopyOutlook.h"
#include "job/JoinJob.h"
#include "paths/PathText.h"
#include "prefs/IniFile.h"
#include "prefs/Preferences.h"
#include "profiles/OutputFileChoice.h"
#include "profiles/ProfileList.h"
#include "tasks/TaskListEditor.h"
#include "ui_TMainForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QResizeEvent>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolButton>

#include <utility>

namespace {

constexpr QSize kWindowSize(798, 542);
constexpr QSize kGettingStartedSize(768, 372);
// Room for the window manager's frame around a window that is not shown yet, whose frame is
// not yet known: a title bar and a bottom edge of common window managers at any scale, and the
// thin side borders that still let the usual 798 pixels fit an 800-pixel-wide screen.
constexpr QMargins kFrameAllowance(1, 40, 1, 8);
constexpr int kToolBarHeight = 75;
constexpr QSize kToolButtonSize(56, 54);
// On the header alone: a style sheet on the whole list would slow down painting its rows.
const QString kHeaderStyle = QStringLiteral(
    "QHeaderView::section { background-color: rgb(243, 243, 243); border: none;"
    " border-right: 1px solid rgb(213, 213, 213); border-bottom: 1px solid rgb(213, 213, 213);"
    " padding: 3px 4px; }");

} // namespace

TMainForm::TMainForm(Seams seams, const ProgramInfo& info, const ProgramPlaces& places,
                     const QStringList& arguments, const QString& workingDirectory)
    : m_seams(seams), m_info(info), m_places(places), ui(std::make_unique<Ui::TMainForm>())
{
    ui->setupUi(this);
    FormCreate(arguments, workingDirectory);
}

TMainForm::~TMainForm()
{
    // The controls outlive this class's members; they must not call back into it meanwhile.
    for (QWidget* watched : std::initializer_list<QWidget*>{ui->ltvTask, ui->ltvTask->viewport(),
                                                            ui->labCompany, ui->imgLogo})
        watched->removeEventFilter(this);
    ui->ltvTask->setModel(nullptr);
}

void TMainForm::FormCreate(const QStringList& arguments, const QString& workingDirectory)
{
    // The caption exactly: no application display name, which Qt would append to every title.
    setWindowTitle(m_info.caption());
    ui->labProgramName->setText(m_info.productName);
    ui->labCompany->setText(m_info.companyName + QStringLiteral("  ") + m_info.webPage);
    ui->labCompany->installEventFilter(this);

    setUpToolBar();
    setUpTaskList();
    setUpBottomStrip();
    setUpPictures();
    fillProfileBox();
    m_commandLineProbeErrors = m_taskListEditor->addCommandLine(
        arguments, workingDirectory.isEmpty() ? QDir::currentPath() : workingDirectory);
    setAcceptDrops(true);

    fitToScreen();

    // The window's first layout is a resize of the list like any other; the starting widths
    // then replace what it made of them, and the reference is the list's real width.
    layout()->activate();
    centralWidget()->layout()->activate();
    ui->panWork->layout()->activate();
    ltvTaskResize(ui->ltvTask->width());
    for (int column = 0; column < int(ColumnWidths::kStartWidths.size()); ++column)
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
    connect(ui->tbtnUp, &QAction::triggered, this, [this] { m_taskListEditor->moveUp(); });
    connect(ui->tbtnDown, &QAction::triggered, this, [this] { m_taskListEditor->moveDown(); });
    connect(ui->tbtnRemove, &QAction::triggered, this,
            [this] { m_taskListEditor->removeSelected(); });
    connect(ui->tbtnClear, &QAction::triggered, this, [this] { m_taskListEditor->clear(); });
    connect(ui->tbtnStart, &QAction::triggered, this, &TMainForm::tbtnStartClick);
    connect(ui->tbtnStop, &QAction::triggered, this, &TMainForm::tbtnStopClick);
    connect(ui->tbtnSetting, &QAction::triggered, this, [this] { m_settingForm->show(); });
    connect(ui->tbtnAbout, &QAction::triggered, this, [this] { m_aboutForm->show(); });
    connect(ui->tbtnHelp, &QAction::triggered, this, &TMainForm::tbtnHelpClick);
    ui->tbtnHelp->setShortcut(QKeySequence(Qt::Key_F1));
    // The keys users of desktop programs expect. A disabled action takes none, so Esc stops only
    // while Stop could be clicked, and Ctrl+Return starts only when Start could.
    ui->tbtnAddFile->setShortcut(QKeySequence::Open);
    ui->tbtnStart->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    ui->tbtnStop->setShortcut(QKeySequence(Qt::Key_Escape));
    auto* quit = new QAction(this);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quit, &QAction::triggered, this, &QWidget::close);
    addAction(quit);
}

// The window opens at its usual size, but never larger than the screen's free area with the
// frame around it, and wholly on it: at a large scale the usual size is taller than the screen.
void TMainForm::fitToScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        resize(kWindowSize);
        return;
    }
    const QRect available = screen->availableGeometry().marginsRemoved(kFrameAllowance);
    resize(kWindowSize.boundedTo(available.size()).expandedTo(minimumSizeHint()));
    QRect placed(QPoint(), size());
    placed.moveCenter(available.center());
    placed.moveTopLeft(
        QPoint(std::max(placed.left(), available.left()), std::max(placed.top(), available.top())));
    move(placed.topLeft() - QPoint(kFrameAllowance.left(), kFrameAllowance.top()));
}

void TMainForm::setUpBottomStrip()
{
    ui->panBottomLeft->hide();
    // The progress takes the strip's height that the output's three rows need: it keeps together
    // in the middle.
    ui->layBottomLeft->setAlignment(Qt::AlignVCenter);
    connect(ui->bbtnSetting, &QPushButton::clicked, this, [this] { m_opSettingForm->show(); });
    connect(ui->bbtnBrowser, &QPushButton::clicked, this, &TMainForm::bbtnBrowserClick);
    connect(ui->bbtnOpen, &QPushButton::clicked, this, &TMainForm::bbtnOpenClick);
    connect(ui->cmbProfile, &QComboBox::currentIndexChanged, this, &TMainForm::cmbProfileChange);
    ui->imgLogo->installEventFilter(this);
}

void TMainForm::setUpPictures()
{
    const std::pair<QAction*, std::pair<const char*, const char*>> pictures[] = {
        {ui->tbtnAddFile, {"list-add", "add-files"}},
        {ui->tbtnAddDir, {"folder-new", "add-directory"}},
        {ui->tbtnUp, {"go-up", "move-up"}},
        {ui->tbtnDown, {"go-down", "move-down"}},
        {ui->tbtnRemove, {"list-remove", "remove"}},
        {ui->tbtnClear, {"edit-clear", "clear"}},
        {ui->tbtnStart, {"media-playback-start", "start"}},
        {ui->tbtnStop, {"media-playback-stop", "stop"}},
        {ui->tbtnSetting, {"preferences-system", "settings"}},
        {ui->tbtnAbout, {"help-about", "about"}},
        {ui->tbtnHelp, {"help-contents", "help"}},
    };
    for (const auto& [button, names] : pictures)
        button->setIcon(
            toolbarIcon(QString::fromLatin1(names.first), QString::fromLatin1(names.second)));
    ui->imgLogo->setPixmap(ownPicture(QStringLiteral("logo")).pixmap(QSize(178, 77)));

    auto* picture = new QLabel(ui->panltvTask);
    picture->setObjectName(QStringLiteral("imgGettingStarted"));
    picture->setPixmap(ownPicture(QStringLiteral("getting-started")).pixmap(QSize(150, 150)));
    picture->setGeometry(kGettingStartedSize.width() - 150 - 40, 30, 150, 150);
    QPalette background = ui->panltvTask->palette();
    QLinearGradient gradient(0, 0, 0, 400);
    gradient.setColorAt(0, QColor(250, 251, 253));
    gradient.setColorAt(1, QColor(226, 234, 244));
    background.setBrush(QPalette::Window, gradient);
    ui->panltvTask->setPalette(background);
}

void TMainForm::fillProfileBox()
{
    const QSignalBlocker quiet(ui->cmbProfile);
    for (const ListedProfile& profile : listProfiles(m_places.profileDirectories))
        ui->cmbProfile->addItem(profile.name, profile.path);
    ui->cmbProfile->setCurrentIndex(-1);
}

void TMainForm::setUpTaskList()
{
    ui->ltvTask->setModel(&m_taskList);
    // Over the list, placed by placeGettingStarted: in the layout it would keep the window from
    // becoming smaller than the panel.
    ui->layWork->removeWidget(ui->panltvTask);
    ui->ltvTask->header()->setStyleSheet(kHeaderStyle);
    ui->ltvTask->header()->setSectionsMovable(false);
    ui->ltvTask->installEventFilter(this);
    m_taskListEditor =
        std::make_unique<TaskListEditor>(m_taskList, *ui->ltvTask->selectionModel(), m_seams, this);
    connect(m_taskListEditor.get(), &TaskListEditor::addingFile, ui->panltvTask, &QWidget::hide);
    connect(m_taskListEditor.get(), &TaskListEditor::taskButtonsEnabled, this,
            &TMainForm::setTaskButtonsEnabled);
    setUpSorting();
    new RowPictures(*ui->ltvTask, TaskListModel::InputFile);
    m_columns = new TaskListColumns(*ui->ltvTask->header());
    // Anywhere in the list, not only on a row: the selection decides what opens.
    ui->ltvTask->viewport()->installEventFilter(this);

    ppmTask = new QMenu(this);
    ppmTask->setObjectName(QStringLiteral("ppmTask"));
    ppmTask->addAction(ui->mnuOpen);
    m_previewAction = ppmTask->addAction(QStringLiteral("Preview"));
    m_previewAction->setObjectName(QStringLiteral("mnuPreview"));
    ppmTask->addSeparator();
    ppmTask->addAction(ui->mnuAddFiles);
    ppmTask->addAction(ui->mnuAddDirectory);
    ppmTask->addSeparator();
    ppmTask->addAction(ui->mnuRemove);
    ppmTask->addAction(ui->mnuClear);
    ppmTask->addSeparator();
    ppmTask->addAction(ui->mnuOpenList);
    ppmTask->addAction(ui->mnuSaveList);
    ppmTask->addSeparator();
    m_sortByDateTaken = ppmTask->addAction(QStringLiteral("Sort by Date Taken"));
    m_clearPointsAction = ppmTask->addAction(QStringLiteral("Clear In and Out"));
    m_clearPointsAction->setObjectName(QStringLiteral("mnuClearPoints"));
    ppmTask->addAction(ui->mnuUndo);
    connect(ppmTask, &QMenu::aboutToShow, this, &TMainForm::ppmTaskPopup);
    connect(ui->ltvTask, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { ppmTask->popup(ui->ltvTask->viewport()->mapToGlobal(at)); });
    connect(ui->mnuOpen, &QAction::triggered, this, [this] { m_taskListEditor->openSelected(); });
    connect(m_previewAction, &QAction::triggered, this, &TMainForm::previewSelected);
    connect(m_clearPointsAction, &QAction::triggered, this,
            [this] { m_taskListEditor->clearSelectedPoints(); });
    connect(ui->mnuAddFiles, &QAction::triggered, ui->tbtnAddFile, &QAction::trigger);
    connect(ui->mnuAddDirectory, &QAction::triggered, ui->tbtnAddDir, &QAction::trigger);
    connect(ui->mnuRemove, &QAction::triggered, this,
            [this] { m_taskListEditor->removeSelected(); });
    connect(ui->mnuClear, &QAction::triggered, this, [this] { m_taskListEditor->clear(); });
    connect(m_sortByDateTaken, &QAction::triggered, this,
            [this] { m_taskListEditor->sortBy(TaskListModel::DateTaken, Qt::AscendingOrder); });
    connect(ui->mnuOpenList, &QAction::triggered, this,
            [this] { m_taskListEditor->addListFromDialog(); });
    connect(ui->mnuSaveList, &QAction::triggered, this,
            [this] { m_taskListEditor->saveListFromDialog(); });
    // A running job has locked the list; its rows must stay as they are.
    connect(ui->mnuUndo, &QAction::triggered, this, [this] {
        if (isTaskListEnabled())
            m_taskListEditor->undo();
    });
    connect(m_taskListEditor.get(), &TaskListEditor::undoAvailable, ui->mnuUndo,
            &QAction::setEnabled);
    ui->mnuUndo->setShortcut(QKeySequence::Undo);
    // Their keys work anywhere in the window, not only while the menu is open.
    ui->mnuOpenList->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    ui->mnuSaveList->setShortcut(QKeySequence::Save);
    addActions({ui->mnuOpenList, ui->mnuSaveList, ui->mnuUndo});
}

// A click on a column's header sorts the rows by it; the arrow shows the order only as long as
// the rows stand so.
void TMainForm::setUpSorting()
{
    QHeaderView* header = ui->ltvTask->header();
    header->setSectionsClickable(true);
    const auto showOrder = [header](int column, Qt::SortOrder order) {
        header->setSortIndicatorShown(column >= 0);
        header->setSortIndicator(column, order);
    };
    connect(m_taskListEditor.get(), &TaskListEditor::sortedBy, header, showOrder);
    connect(header, &QHeaderView::sectionClicked, this, [this, showOrder](int column) {
        // A running job has locked the list; the header's own arrow is put back.
        if (isTaskListEnabled())
            m_taskListEditor->sortByColumn(column);
        else
            showOrder(m_taskListEditor->sortedColumn(), m_taskListEditor->sortedOrder());
    });
}

void TMainForm::attachDialogs(TAboutForm* about, TopSettingForm* outputSettings,
                              TSettingForm* settings)
{
    m_aboutForm = about;
    m_opSettingForm = outputSettings;
    m_settingForm = settings;
    connect(m_opSettingForm, &TopSettingForm::profileSaved, this, &TMainForm::selectSavedProfile);
}

void TMainForm::attachOutlook(CopyOutlook* outlook, prefs::GeneralSettings& settings)
{
    new CopyNoteMark(*ui->ltvTask, TaskListModel::Status);
    auto* line = new CopyOutlookLine(*ui->labCopyOutlook, m_taskList, *outlook, settings, this);
    connect(line, &CopyOutlookLine::removeRequested, this,
            [this](const QList<int>& rows) { m_taskListEditor->removeRows(rows); });
    connect(line, &CopyOutlookLine::profileChoiceRequested, this, [this] {
        ui->cmbProfile->setFocus();
        ui->cmbProfile->showPopup();
    });
    connect(line, &CopyOutlookLine::exactCutsRequested, this, [this, &settings, outlook] {
        // Applies even when it cannot be saved, as the General Settings' OK does.
        settings.exactCutsInStream = true;
        try {
            prefs::writeExactCutsInStream(m_places.preferencesPath, true);
        } catch (const IniWriteError& error) {
            m_seams.messages.error(this, error.message());
        }
        outlook->changed();
    });
    const auto changed = [outlook] { outlook->changed(); };
    connect(&m_taskList, &QAbstractItemModel::rowsInserted, outlook, changed);
    connect(&m_taskList, &QAbstractItemModel::rowsRemoved, outlook, changed);
    connect(&m_taskList, &QAbstractItemModel::rowsMoved, outlook, changed);
    connect(&m_taskList, &QAbstractItemModel::modelReset, outlook, changed);
    connect(&m_taskList, &TaskListModel::pointsChanged, outlook, changed);
    connect(ui->cmbProfile, &QComboBox::currentIndexChanged, outlook, changed);
    connect(ui->edtOutputFile, &QLineEdit::textChanged, outlook, changed);
    // The dialog may have changed the profile's options.
    connect(m_opSettingForm, &QDialog::finished, outlook, changed);
    // The General Settings may have changed whether a copy cuts exactly.
    connect(m_settingForm, &TSettingForm::hidden, outlook, changed);
    outlook->changed();
}

void TMainForm::attachJob(JoinJob* job)
{
    m_job = job;
    m_closingDuringJob = std::make_unique<ClosingDuringJob>(*job, m_seams.messages);
    connect(m_job, &JoinJob::finished, this, &TMainForm::jobFinished);
}

OutputFileBox TMainForm::outputFileBox()
{
    QLineEdit* box = ui->edtOutputFile;
    return {[box] { return box->text(); }, [box](const QString& text) { box->setText(text); }};
}

void TMainForm::closeForJob()
{
    m_jobClosesWindow = true;
    close();
}

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        FormShow();
    }
}

void TMainForm::FormShow()
{
    LoadMainPreferences();
    // Over the window, once the window manager has it on the screen.
    if (!m_commandLineProbeErrors.isEmpty())
        QTimer::singleShot(0, this, [this] {
            m_seams.messages.error(this, std::exchange(m_commandLineProbeErrors, QString()));
        });
}

void TMainForm::LoadMainPreferences()
{
    const prefs::MainWindowChoice stored = prefs::readMainWindowChoice(m_places.preferencesPath);
    if (ui->cmbProfile->count() > 0) {
        {
            const QSignalBlocker quiet(ui->cmbProfile);
            QStringList names;
            for (int row = 0; row < ui->cmbProfile->count(); ++row)
                names << ui->cmbProfile->itemText(row);
            ui->cmbProfile->setCurrentIndex(
                storedProfilePosition(names, stored.profileIndex, stored.profileName));
        }
        cmbProfileChange();
    }
    ui->edtOutputFile->setText(stored.outputFile);
    m_columns->hideCaptions(stored.hiddenColumns);
}

void TMainForm::SaveMainPreferences()
{
    try {
        prefs::writeMainWindowChoice(m_places.preferencesPath,
                                     {ui->cmbProfile->currentIndex(), ui->edtOutputFile->text(),
                                      ui->cmbProfile->currentText(), m_columns->hiddenCaptions()});
    } catch (const IniWriteError& error) {
        m_seams.messages.error(this, error.message());
    }
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    SaveMainPreferences();
    // A running job is stopped first, if the user wants it so; the window closes after it.
    if (m_closingDuringJob && !m_jobClosesWindow && !m_closingDuringJob->mayClose(this)) {
        event->ignore();
        return;
    }
    event->accept();
}

void TMainForm::jobFinished()
{
    if (m_closingDuringJob->closeAfterJob() && !m_jobClosesWindow) {
        m_jobClosesWindow = true;
        close();
    }
}

QString TMainForm::selectedProfilePath() const
{
    const QString listed = ui->cmbProfile->currentData().toString();
    if (!listed.isEmpty())
        return listed;
    return profilePath(m_places.profileDirectories.constFirst(), ui->cmbProfile->currentText());
}

void TMainForm::cmbProfileChange()
{
    m_opSettingForm->LoadProfile(selectedProfilePath());
}

void TMainForm::selectSavedProfile(const QString& name)
{
    {
        const QSignalBlocker quiet(ui->cmbProfile);
        ui->cmbProfile->clear();
        fillProfileBox();
        ui->cmbProfile->setCurrentIndex(ui->cmbProfile->findText(name));
    }
    cmbProfileChange();
}

void TMainForm::bbtnBrowserClick()
{
    const QString chosen =
        chooseOutputFile(m_seams.dialogs, this, m_opSettingForm->outputExtension());
    if (!chosen.isEmpty())
        ui->edtOutputFile->setText(chosen);
}

void TMainForm::bbtnOpenClick()
{
    const QString text = ui->edtOutputFile->text();
    if (text.isEmpty())
        return;
    if (QFileInfo(text).isFile()) {
        m_seams.shell.open(this, text);
        return;
    }
    const QString directory = directoryPart(text);
    if (!directory.isEmpty() && QFileInfo(directory).isDir())
        m_seams.shell.open(this, directory);
}

void TMainForm::tbtnHelpClick()
{
    m_seams.shell.open(this, m_places.helpFilePath());
}

void TMainForm::tbtnStartClick()
{
    // The press returns at once and the job runs from the event loop, so that whoever pressed
    // (a screen reader, UI automation) is not held until the job is over.
    if (m_startQueued)
        return;
    m_startQueued = true;
    QMetaObject::invokeMethod(this, &TMainForm::startJob, Qt::QueuedConnection);
}

void TMainForm::startJob()
{
    m_startQueued = false;
    // A folder being added handles events between its files; its rows are not complete yet.
    // A window closed meanwhile starts nothing.
    if (!m_job || m_taskListEditor->isAdding() || !isVisible())
        return;
    m_job->start();
}

void TMainForm::tbtnStopClick()
{
    if (m_job)
        m_job->stop();
}

void TMainForm::setTaskListEnabled(bool enabled)
{
    ui->ltvTask->viewport()->setEnabled(enabled);
}

bool TMainForm::isTaskListEnabled() const
{
    return ui->ltvTask->viewport()->isEnabled();
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
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            // Looking at a clip changes nothing: also while a job runs. Ctrl+Space still
            // selects.
            if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier) {
                previewSelected();
                return true;
            }
            return ltvTaskKeyDown(key->key());
        }
        if (event->type() == QEvent::Resize) {
            ltvTaskResize(static_cast<QResizeEvent*>(event)->size().width());
            placeGettingStarted();
        }
    } else if (watched == ui->ltvTask->viewport()) {
        if (event->type() == QEvent::MouseButtonDblClick)
            ltvTaskDblClick();
    } else if ((watched == ui->labCompany || watched == ui->imgLogo) &&
               event->type() == QEvent::MouseButtonRelease) {
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
    previewSelected();
}

void TMainForm::previewSelected()
{
    const int row = m_taskListEditor->selectedRow();
    if (row < 0)
        return;
    if (!m_previewDialog) {
        m_previewDialog = new PreviewDialog(this);
        // The dialog holds the main window while it shows: the row stays where it is.
        connect(m_previewDialog, &PreviewDialog::pointsChanged, this,
                [this](std::optional<qint64> inMs, std::optional<qint64> outMs) {
                    const auto seconds = [](std::optional<qint64> ms) {
                        return ms ? std::optional(*ms / 1000.0) : std::nullopt;
                    };
                    m_taskListEditor->setPoints(m_previewRow, seconds(inMs), seconds(outMs));
                });
    }
    m_previewRow = row;
    const TaskRow clip = m_taskList.ReadItemData(row);
    const auto ms = [](std::optional<double> seconds) {
        return seconds ? std::optional(std::llround(*seconds * 1000)) : std::nullopt;
    };
    m_previewDialog->showClip(clip.path, ms(clip.inPoint), ms(clip.outPoint), isTaskListEnabled());
}

QLabel* TMainForm::outputSummaryLine() const
{
    return ui->labOutputSummary;
}

void TMainForm::ppmTaskPopup()
{
    // The menu key opens the menu while a job has locked the rows, too: only Open and Preview
    // then.
    const bool hasSelection = m_taskListEditor->hasSelection();
    const bool editable = isTaskListEnabled();
    ui->mnuOpen->setEnabled(hasSelection);
    m_previewAction->setEnabled(hasSelection);
    m_clearPointsAction->setEnabled(editable && m_taskListEditor->hasTrimmedSelection());
    ui->mnuRemove->setEnabled(hasSelection && editable);
    ui->mnuClear->setEnabled(m_taskList.rowCount() > 0 && editable);
    m_sortByDateTaken->setEnabled(m_taskList.rowCount() > 1 && editable);
}

bool TMainForm::ltvTaskKeyDown(int key)
{
    // A running job has locked the list; its rows must stay as they are.
    if (!isTaskListEnabled())
        return key == Qt::Key_Backspace || key == Qt::Key_Delete;
    if (key == Qt::Key_Backspace) {
        m_taskListEditor->clear();
        return true;
    }
    if (key == Qt::Key_Delete) {
        m_taskListEditor->removeSelected();
        return true;
    }
    return false;
}

void TMainForm::ltvTaskResize(int newWidth)
{
    const std::array<int, 4> changes = m_columnWidths.resized(newWidth);
    QHeaderView* header = ui->ltvTask->header();
    for (int column = 0; column < int(changes.size()); ++column) {
        if (changes[column] != 0)
            header->resizeSection(column, header->sectionSize(column) + changes[column]);
    }
}

// At the top of the list, in its middle, at most the list's size.
void TMainForm::placeGettingStarted()
{
    const QRect list = ui->ltvTask->geometry();
    QRect panel(QPoint(), kGettingStartedSize.boundedTo(list.size()));
    panel.moveTopLeft(QPoint(list.left() + (list.width() - panel.width()) / 2, list.top()));
    ui->panltvTask->setGeometry(panel);
    ui->panltvTask->raise();
}

void TMainForm::labCompanyClick()
{
    m_seams.shell.open(this, m_info.webPage);
}

void TMainForm::setTaskButtonsEnabled(bool enabled)
{
    for (QAction* button :
         {ui->tbtnUp, ui->tbtnDown, ui->tbtnRemove, ui->tbtnClear, ui->tbtnStart, ui->mnuSaveList})
        button->setEnabled(enabled);
}

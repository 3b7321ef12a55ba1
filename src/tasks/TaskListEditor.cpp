#include "TaskListEditor.h"

#include "JobListFile.h"
#include "SupportedInputs.h"
#include "TaskListModel.h"
#include "TaskOrder.h"
#include "UnreadableNames.h"
#include "paths/PathText.h"
#include "paths/WholeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <algorithm>
#include <functional>
#include <utility>

namespace {

const QString kAlreadyListedCaption = QStringLiteral("Already Listed");
const QString kAlreadyListedText = QStringLiteral(
    "This file has been added to the Task List already. Are you sure to add it again?");
const QString kClearCaption = QStringLiteral("Clear");
const QString kClearText = QStringLiteral("Are you sure to remove every file from the Task List?");
const QString kAddDirectoryTitle = QStringLiteral("Add a directory to the Task List");
// Milliseconds between two rounds of event handling while a folder is added.
constexpr qint64 kEventInterval = 40;

// A path as the program started with it: a relative one is taken from the folder the program
// was started in, so that the row holds a whole path that opens from anywhere.
QString startedWithPath(const QString& path, const QDir& workingDirectory)
{
    return QDir::isRelativePath(path) ? QDir::cleanPath(workingDirectory.absoluteFilePath(path))
                                      : path;
}

// One error for all the files of an add operation that are no videos.
QString notAddedText(const QStringList& failures)
{
    if (failures.isEmpty())
        return {};
    return QStringLiteral("These files cannot be read as videos and were not added:\n\n") +
           failures.join(QStringLiteral("\n\n"));
}

} // namespace

TaskListEditor::TaskListEditor(TaskListModel& model, QItemSelectionModel& selection, Seams seams,
                               QWidget* owner, QObject* parent)
    : QObject(parent), m_model(model), m_selection(selection), m_seams(seams), m_owner(owner)
{
    connect(&m_model, &TaskListModel::rowsDropping, this,
            [this] { m_beforeDrop = m_model.rows(); });
    connect(&m_model, &TaskListModel::rowsDropped, this,
            [this] { recordIfChanged(std::exchange(m_beforeDrop, {})); });
}

void TaskListEditor::addFilesFromDialog()
{
    const QStringList names = m_seams.dialogs.openFiles(m_owner, inputFileFilter());
    // In the order the dialog shows them, which is the order Qt returns them in.
    runShownAddOperation([&] {
        for (const QString& name : names)
            addPartOrNote(ClipPart{name});
    });
}

void TaskListEditor::addDirectoryFromDialog()
{
    const QString folder = m_seams.dialogs.browseForFolder(m_owner, kAddDirectoryTitle);
    runShownAddOperation([&] {
        if (!folder.isEmpty())
            addDirectory(folder);
    });
}

void TaskListEditor::addDropped(const QStringList& paths)
{
    runShownAddOperation([&] {
        for (const QString& path : paths) {
            if (QFileInfo(path).isDir())
                addDirectory(path);
            else if (HasListedExt(path, supportedExtensions()))
                addPartOrNote(ClipPart{path});
        }
    });
}

QString TaskListEditor::addCommandLine(const QStringList& arguments, const QDir& workingDirectory)
{
    if (arguments.isEmpty())
        return {};
    if (extensionOf(arguments.first()).toLower() == QLatin1String(".tmp"))
        return addListFile(startedWithPath(arguments.first(), workingDirectory), workingDirectory);
    QList<ClipPart> parts;
    for (const QString& argument : arguments)
        parts << ClipPart{argument};
    return notAddedText(addPaths(parts, workingDirectory));
}

QString TaskListEditor::addListFile(const QString& listFile, const QDir& workingDirectory)
{
    QStringList failures;
    const QString problem = addListPaths(listFile, workingDirectory, failures);
    return problem.isEmpty() ? notAddedText(failures) : problem;
}

QString TaskListEditor::addListPaths(const QString& listFile, const QDir& workingDirectory,
                                     QStringList& failures)
{
    const JobList list = readJobList(listFile);
    if (!list.problem.isEmpty())
        return QStringLiteral("The job list %1 was not read: %2.").arg(listFile, list.problem);
    QList<ClipPart> parts;
    for (QString line : list.lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const ListedPart listed = readJobListLine(line);
        if (listed.error.isEmpty())
            parts << listed.part;
        else
            failures << line + QLatin1Char('\n') + listed.error;
    }
    m_listFile = listFile;
    failures << addPaths(parts, workingDirectory);
    m_listFile.clear();
    return {};
}

void TaskListEditor::addListFromDialog()
{
    const QStringList lists = m_seams.dialogs.openFiles(m_owner, kJobListFilter);
    QStringList problems;
    QStringList failures;
    for (const QString& list : lists) {
        // A list written by hand may name its videos from its own folder.
        const QString problem = addListPaths(list, QFileInfo(list).absoluteDir(), failures);
        if (!problem.isEmpty())
            problems << problem;
    }
    if (!failures.isEmpty())
        problems << notAddedText(failures);
    if (!problems.isEmpty())
        m_seams.messages.error(m_owner, problems.join(QStringLiteral("\n\n")));
}

void TaskListEditor::saveListFromDialog()
{
    if (m_model.rowCount() == 0)
        return;
    QStringList paths;
    QStringList lines;
    for (int row = 0; row < m_model.rowCount(); ++row) {
        const TaskRow item = m_model.ReadItemData(row);
        paths << item.path;
        lines << jobListLine(ClipPart{item.path, item.inPoint, item.outPoint});
    }
    // Such a name would come back as other names, and its row would be lost.
    for (const QString& path : paths)
        if (path.contains(QLatin1Char('\n')) || path.contains(QLatin1Char('\r'))) {
            m_seams.messages.error(
                m_owner, QStringLiteral("A job list holds one name on each line, so it cannot "
                                        "hold a name with a line break:\n%1")
                             .arg(path));
            return;
        }
    // Nothing else asks before the list replaces a file, so the dialog does.
    const QString listFile = m_seams.dialogs.saveFile(m_owner, kJobListFilter, kJobListSuffix,
                                                      ExistingFileQuestion::Dialog);
    if (listFile.isEmpty())
        return;
    if (!writeJobList(listFile, lines))
        m_seams.messages.error(m_owner, unableToWriteMessage(listFile));
}

QStringList TaskListEditor::addPaths(const QList<ClipPart>& parts, const QDir& workingDirectory)
{
    return runAddOperation([&] {
        for (ClipPart part : parts) {
            QString& path = part.path;
            // An empty line names nothing, not the working directory.
            if (path.isEmpty())
                continue;
            path = startedWithPath(path, workingDirectory);
            const QFileInfo info(path);
            if (info.isFile()) {
                if (HasListedExt(path, supportedExtensions()))
                    addPartOrNote(part);
            } else if (info.isDir() && part.isTrimmed()) {
                m_probeFailures << path + QStringLiteral("\nA part is taken of a video, not of a "
                                                         "folder.");
            } else if (info.isDir()) {
                addDirectory(path);
            } else if (isUnreadableName(path) && HasListedExt(path, supportedExtensions())) {
                m_unreadableNames << path;
            }
        }
    });
}

void TaskListEditor::addPart(const ClipPart& part)
{
    const QString& path = part.path;
    emit addingFile();
    if (isUnreadableName(path)) {
        m_unreadableNames << path;
        return;
    }
    if (m_model.findPath(path) >= 0 && !addAgain(path))
        return;

    // Probed before the row is appended, so that a failed probe leaves no half-filled row.
    m_probe.probe(path);
    TaskRow row{path,           m_probe.durationText(), m_probe.frameSizeText(),
                TaskStatus::Ok, baseNameOf(path),       m_probe.facts(),
                part.inPoint,   part.outPoint};
    if (const QString why = whyPartDoesNotFit(part, row.lengthSeconds()); !why.isEmpty())
        throw ClipPartError(why);
    m_model.appendItem(row);
}

void TaskListEditor::addPartOrNote(const ClipPart& part)
{
    // The files were chosen together: one that is no video keeps none of the others out.
    try {
        addPart(part);
    } catch (const ProbeError& error) {
        m_probeFailures << error.path() + QLatin1Char('\n') + error.message();
    } catch (const ClipPartError& error) {
        m_probeFailures << part.path + QLatin1Char('\n') + error.message() + QLatin1Char('.');
    }
}

bool TaskListEditor::addAgain(const QString& path)
{
    if (m_addAgainForAll)
        return *m_addAgainForAll;
    QString text = kAlreadyListedText + QLatin1Char('\n') + path;
    if (!m_listFile.isEmpty())
        text += QStringLiteral("\n\nThe job list %1 names it.").arg(m_listFile);
    switch (m_seams.messages.askForAll(m_owner, kAlreadyListedCaption, text)) {
    case AnswerForAll::Yes:
        return true;
    case AnswerForAll::No:
        return false;
    case AnswerForAll::YesToAll:
        m_addAgainForAll = true;
        return true;
    case AnswerForAll::NoToAll:
        m_addAgainForAll = false;
        return false;
    }
    return false;
}

void TaskListEditor::addDirectory(const QString& folder)
{
    const QStringList patterns =
        supportedFileMask(supportedExtensions()).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    // Without QDir::Hidden, QDir::System and QDir::CaseSensitive: no hidden files, no pipes or
    // devices, and the patterns match regardless of letter case.
    const QStringList names =
        QDir(folder).entryList(patterns, QDir::Files, QDir::Name | QDir::IgnoreCase);
    const QString directory = withTrailingSlash(folder);
    m_unreadableNames << unreadableSupportedNames(folder);
    QElapsedTimer sinceEvents;
    for (const QString& name : names) {
        // A folder of many files takes a while; the window stays live meanwhile. Repainting the
        // list after every probe would cost several times the probe itself, so pending events
        // are handled before a file once a frame's time has passed.
        if (!sinceEvents.isValid() || sinceEvents.hasExpired(kEventInterval)) {
            QCoreApplication::processEvents();
            sinceEvents.start();
        }
        addPartOrNote(ClipPart{directory + name});
    }
}

void TaskListEditor::removeSelected()
{
    const QVector<bool> selected = selectedRows();
    QList<int> rows;
    for (int row = 0; row < selected.size(); ++row)
        if (selected[row])
            rows << row;
    removeRows(rows);
}

void TaskListEditor::removeRows(const QList<int>& rows)
{
    QList<int> bottomFirst = rows;
    std::sort(bottomFirst.begin(), bottomFirst.end(), std::greater<>());
    bottomFirst.erase(std::unique(bottomFirst.begin(), bottomFirst.end()), bottomFirst.end());
    changeRows([&] {
        for (const int row : bottomFirst)
            if (row >= 0 && row < m_model.rowCount())
                m_model.removeItem(row);
    });
    if (m_model.rowCount() == 0)
        emit taskButtonsEnabled(false);
}

void TaskListEditor::clear()
{
    if (m_model.rowCount() > 0 && !m_seams.messages.ask(m_owner, kClearCaption, kClearText))
        return;
    changeRows([&] { m_model.clear(); });
    emit taskButtonsEnabled(false);
}

void TaskListEditor::moveUp()
{
    QVector<bool> selected = selectedRows();
    if (!selected.contains(true))
        return;
    changeRows([&] {
        for (int row = 1; row < selected.size(); ++row) {
            if (selected[row]) {
                m_model.moveRow(QModelIndex(), row, QModelIndex(), row - 1);
                selected[row - 1] = true;
                selected[row] = false;
            }
        }
    });
    selectRows(selected);
}

void TaskListEditor::moveDown()
{
    QVector<bool> selected = selectedRows();
    if (!selected.contains(true))
        return;
    changeRows([&] {
        for (int row = static_cast<int>(selected.size()) - 2; row >= 0; --row) {
            if (selected[row]) {
                m_model.moveRow(QModelIndex(), row + 1, QModelIndex(), row);
                selected[row + 1] = true;
                selected[row] = false;
            }
        }
    });
    selectRows(selected);
}

QString TaskListEditor::selectedPath() const
{
    const int row = selectedRow();
    return row < 0 ? QString() : m_model.ReadItemData(row).path;
}

int TaskListEditor::selectedRow() const
{
    return static_cast<int>(selectedRows().indexOf(true));
}

void TaskListEditor::setPoints(int row, std::optional<double> inPoint,
                               std::optional<double> outPoint)
{
    changeRows([&] { m_model.setPoints(row, inPoint, outPoint); });
}

void TaskListEditor::clearSelectedPoints()
{
    const QVector<bool> selected = selectedRows();
    changeRows([&] {
        for (int row = 0; row < selected.size(); ++row)
            if (selected[row] && m_model.ReadItemData(row).isTrimmed())
                m_model.setPoints(row, std::nullopt, std::nullopt);
    });
}

bool TaskListEditor::hasTrimmedSelection() const
{
    const QVector<bool> selected = selectedRows();
    for (int row = 0; row < selected.size(); ++row)
        if (selected[row] && m_model.ReadItemData(row).isTrimmed())
            return true;
    return false;
}

void TaskListEditor::openSelected()
{
    const QString path = selectedPath();
    if (!path.isEmpty())
        m_seams.shell.open(m_owner, path);
}

void TaskListEditor::sortBy(int column, Qt::SortOrder order)
{
    const QVector<bool> wasSelected = selectedRows();
    QVector<TaskRow> sorted;
    QVector<bool> selected;
    for (int row : sortedRowNumbers(m_model.rows(), column, order)) {
        sorted << m_model.rows()[row];
        selected << wasSelected[row];
    }
    changeRows([&] { m_model.setRows(sorted); });
    selectRows(selected);
    m_sortedColumn = column;
    m_sortedOrder = order;
    emit sortedBy(column, order);
}

void TaskListEditor::sortByColumn(int column)
{
    const bool ascendingNow = m_sortedColumn == column && m_sortedOrder == Qt::AscendingOrder;
    sortBy(column, ascendingNow ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TaskListEditor::undo()
{
    if (!m_history.canUndo())
        return;
    m_model.setRows(m_history.takeLatest());
    m_sortedColumn = -1;
    emit sortedBy(-1, Qt::AscendingOrder);
    emit taskButtonsEnabled(m_model.rowCount() > 0);
    emit undoAvailable(m_history.canUndo());
}

bool TaskListEditor::hasSelection() const
{
    return m_selection.hasSelection();
}

QStringList TaskListEditor::runAddOperation(const std::function<void()>& add)
{
    m_adding = true;
    m_unreadableNames.clear();
    m_probeFailures.clear();
    m_addAgainForAll.reset();
    changeRows(add);
    if (!m_unreadableNames.isEmpty())
        m_seams.messages.info(m_owner, kUnreadableNamesCaption,
                              unreadableNamesText(m_unreadableNames));
    m_adding = false;
    if (m_model.rowCount() > 0)
        emit taskButtonsEnabled(true);
    return std::exchange(m_probeFailures, {});
}

void TaskListEditor::runShownAddOperation(const std::function<void()>& add)
{
    const QStringList failures = runAddOperation(add);
    if (!failures.isEmpty())
        m_seams.messages.error(m_owner, notAddedText(failures));
}

void TaskListEditor::changeRows(const std::function<void()>& change)
{
    const QVector<TaskRow> before = m_model.rows();
    change();
    recordIfChanged(before);
}

void TaskListEditor::recordIfChanged(const QVector<TaskRow>& before)
{
    if (m_model.rows() == before)
        return;
    m_history.record(before);
    emit undoAvailable(true);
    m_sortedColumn = -1;
    emit sortedBy(-1, Qt::AscendingOrder);
}

QVector<bool> TaskListEditor::selectedRows() const
{
    QVector<bool> selected(m_model.rowCount());
    for (int row = 0; row < selected.size(); ++row)
        selected[row] = m_selection.rowIntersectsSelection(row, QModelIndex());
    return selected;
}

void TaskListEditor::selectRows(const QVector<bool>& selected)
{
    QItemSelection selection;
    for (int row = 0; row < selected.size(); ++row) {
        if (selected[row])
            selection.select(m_model.index(row, 0), m_model.index(row, 0));
    }
    m_selection.select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

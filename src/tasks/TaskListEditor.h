#pragma once

#include "ClipPart.h"
#include "MediaProbe.h"
#include "TaskListHistory.h"
#include "platform/Seams.h"

#include <QObject>
#include <QStringList>
#include <functional>
#include <optional>

class QDir;
class QItemSelectionModel;
class TaskListModel;

// Adding to and editing the task list, for the main window's commands and the command line's
// inputs. Talks to the desktop only through the seams; the selection is the list view's.
//
// An add operation (a dialog selection, a folder, a drop, a job list) adds every file it can
// read, in order; the files whose probe failed are named together in one error at its end.
// A file listed already is added again only after a Yes; Yes to All or No to All answers that
// question for the rest of the operation. After every add operation the task buttons are enabled
// when the list has rows. Files whose names are not valid UTF-8 cannot be opened at all; they
// are left out, and named in one notice at the end.
//
// Every change of the rows (an add operation, Remove, Clear, a move, a drag within the list) can
// be taken back with undo, the latest first.
class TaskListEditor : public QObject
{
    Q_OBJECT

public:
    TaskListEditor(TaskListModel& model, QItemSelectionModel& selection, Seams seams,
                   QWidget* owner, QObject* parent = nullptr);

    // Add Files: asks for files and adds them in the order the dialog returns them.
    void addFilesFromDialog();
    // Add Directory: asks for a folder and adds its supported files.
    void addDirectoryFromDialog();
    // Folders dropped on the window are added with their supported files, supported files
    // alone; anything else is skipped.
    void addDropped(const QStringList& paths);
    // Paths of files or folders, or a first argument "*.tmp" naming a file with one path or
    // group per line (the other arguments are then ignored). Unsupported or missing paths are
    // skipped. Relative paths, also those of the list file, are taken from workingDirectory. A file
    // whose probe fails is left out and the others are added; the error naming those files is
    // returned for the caller to show once its window is up (empty: none).
    QString addCommandLine(const QStringList& arguments, const QDir& workingDirectory);
    // The paths of a job list file, added as the command line adds them; the same error comes
    // back. The "Already Listed" question names the list.
    QString addListFile(const QString& listFile, const QDir& workingDirectory);
    // Open List: asks for job list files and adds their paths, relative ones taken from each
    // list's folder; lists that were not read and files whose probe failed are told in one
    // error.
    void addListFromDialog();
    // Save List: asks for a file name (the dialog asks before replacing a file) and writes the
    // listed paths there, top row first. A refused write is told; the old file stays whole.
    void saveListFromDialog();

    // Appends one file at the bottom, after the "Already Listed" question when its path is
    // listed already. Throws ProbeError when the file is no video.
    void addFile(const QString& path) { addPart(ClipPart{path}); }
    // addFile, the row taking the part's points. Throws ClipPartError, and adds nothing, when
    // the part does not fit the clip.
    void addPart(const ClipPart& part);
    // Adds the supported files lying directly in the folder, sorted by name regardless of
    // letter case, leaving out hidden files; pending events are handled between files, at
    // most every 40 ms. Call it only inside an add operation, which tells the files that are
    // no videos.
    void addDirectory(const QString& folder);

    // Deletes the selected rows.
    void removeSelected();
    // Deletes the rows (0-based, any order), as one change.
    void removeRows(const QList<int>& rows);
    // Deletes every row once the user has said Yes.
    void clear();
    // Moves the selected rows up (down) by one as blocks; a selected top (bottom) row stays.
    void moveUp();
    void moveDown();
    // Opens the topmost selected row's file with the desktop's program for it.
    void openSelected();
    // Takes back the latest change of the rows; nothing when there is none.
    void undo();
    // Puts the rows in the column's order (TaskOrder), which is the order of the join; the
    // selected rows stay selected. Taken back by undo like a move.
    void sortBy(int column, Qt::SortOrder order);
    // A click on the column's header: ascending, or descending when the rows stand sorted
    // ascending by that column already.
    void sortByColumn(int column);
    // The column the rows stand sorted by, -1 when a change since the last sort undid it.
    int sortedColumn() const { return m_sortedColumn; }
    Qt::SortOrder sortedOrder() const { return m_sortedOrder; }
    bool canUndo() const { return m_history.canUndo(); }

    bool hasSelection() const;
    // The topmost selected row's file; empty without a selection.
    QString selectedPath() const;
    // The topmost selected row; -1 without a selection.
    int selectedRow() const;
    // The part of the row taken (seconds from its first picture; none: its beginning, its end),
    // as one change that undo takes back.
    void setPoints(int row, std::optional<double> inPoint, std::optional<double> outPoint);
    // The whole clips of the selected rows again, as one change.
    void clearSelectedPoints();
    // A selected row is trimmed.
    bool hasTrimmedSelection() const;
    // An add operation is under way; it handles events between files, so commands can arrive.
    bool isAdding() const { return m_adding; }

signals:
    // addFile was called: the getting-started panel has done its job.
    void addingFile();
    // The move, remove, clear and start buttons follow the list: on after an add that left
    // rows, off after a removal that left none.
    void taskButtonsEnabled(bool enabled);
    // A change was recorded or taken back: whether one is left to take back.
    void undoAvailable(bool available);
    // After every change of the rows: the column and order they were just sorted by, or column
    // -1 when the change was no sort (an add, a move, an undo), so that no sorted column shows.
    void sortedBy(int column, Qt::SortOrder order);

private:
    // The files whose probe failed, each with its reason.
    QStringList addPaths(const QList<ClipPart>& parts, const QDir& workingDirectory);
    // The list's problem when it was not read (empty when it was); failures gets the files
    // whose probe failed.
    QString addListPaths(const QString& listFile, const QDir& workingDirectory,
                         QStringList& failures);
    // addPart, with a file that is no video, or a part that does not fit, noted for the end of
    // the operation.
    void addPartOrNote(const ClipPart& part);
    bool addAgain(const QString& path);
    // Returns the files whose probe failed, as addPaths does.
    QStringList runAddOperation(const std::function<void()>& add);
    // An add operation that tells the files whose probe failed itself.
    void runShownAddOperation(const std::function<void()>& add);
    // Runs a change of the rows and keeps the rows before it for undo, if it changed any.
    void changeRows(const std::function<void()>& change);
    void recordIfChanged(const QVector<TaskRow>& before);
    QVector<bool> selectedRows() const;
    void selectRows(const QVector<bool>& selected);

    TaskListModel& m_model;
    QItemSelectionModel& m_selection;
    Seams m_seams;
    QWidget* m_owner;
    MediaProbe m_probe;
    bool m_adding = false;
    // Files of the add operation under way that were left out for their names.
    QStringList m_unreadableNames;
    // Files of the add operation under way whose probe failed, each with its reason.
    QStringList m_probeFailures;
    // Yes to All or No to All, given in the add operation under way.
    std::optional<bool> m_addAgainForAll;
    // The job list whose paths are being added, for the question about a listed file.
    QString m_listFile;
    TaskListHistory m_history;
    int m_sortedColumn = -1;
    Qt::SortOrder m_sortedOrder = Qt::AscendingOrder;
    // The rows before a drag within the list dropped.
    QVector<TaskRow> m_beforeDrop;
};

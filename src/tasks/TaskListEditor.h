#pragma once

#include "MediaProbe.h"
#include "platform/Seams.h"

#include <QObject>
#include <QStringList>
#include <functional>

class QDir;
class QItemSelectionModel;
class TaskListModel;

// Adding to and editing the task list, for the main window's commands. Talks to the desktop
// only through the seams; the selection is the list view's.
//
// An add operation (a dialog selection, a folder, a drop) ends at the first file whose probe
// fails: the error, with the file's path on a second line, is shown and the remaining files are
// not added. After every
// add operation the task buttons are enabled when the list has rows. Files whose names are not
// valid UTF-8 cannot be opened at all; they are left out, and named in one notice at the end.
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
    // Paths of files or folders, or a first argument "*.tmp" naming a file with one path per
    // line (the other arguments are then ignored). Unsupported or missing paths are skipped.
    // Relative paths, also those of the list file, are taken from workingDirectory. A file whose
    // probe fails is left out and the others are added; the errors, each with its file on a
    // second line, are returned for the caller to show once its window is up (empty: none).
    QString addCommandLine(const QStringList& arguments, const QDir& workingDirectory);
    // The paths of a job list file, added as the command line adds them; the same errors come
    // back.
    QString addListFile(const QString& listFile, const QDir& workingDirectory);
    // Open List: asks for job list files and adds their paths, relative ones taken from each
    // list's folder; the errors of files whose probe failed are shown together.
    void addListFromDialog();
    // Save List: asks for a file name (the dialog asks before replacing a file) and writes the
    // listed paths there, top row first. A refused write is told; the old file stays whole.
    void saveListFromDialog();

    // The steps the add operations are made of. Both throw ProbeError; call them only inside an
    // add operation, which catches it.
    // Appends one file at the bottom, after the "Already Listed" question when its path is
    // listed already.
    void addFile(const QString& path);
    // Adds the supported files lying directly in the folder, sorted by name regardless of
    // letter case, leaving out hidden files; pending events are handled between files, at
    // most every 40 ms.
    void addDirectory(const QString& folder);

    // Deletes the selected rows.
    void removeSelected();
    void clear();
    // Moves the selected rows up (down) by one as blocks; a selected top (bottom) row stays.
    void moveUp();
    void moveDown();
    // Opens the topmost selected row's file with the desktop's program for it.
    void openSelected();

    bool hasSelection() const;
    // An add operation is under way; it handles events between files, so commands can arrive.
    bool isAdding() const { return m_adding; }

signals:
    // addFile was called: the getting-started panel has done its job.
    void addingFile();
    // The move, remove, clear and start buttons follow the list: on after an add that left
    // rows, off after a removal that left none.
    void taskButtonsEnabled(bool enabled);

private:
    QString addPaths(const QStringList& paths, const QDir& workingDirectory);
    void runAddOperation(const std::function<void()>& add);
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
};

#pragma once

#include "TaskRow.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QVector>

// The ordered input videos of the join job, top row first; columns show each row's path,
// length, frame size and status, the points of a trimmed row, then what else was read of the
// clip. A trimmed row's Length is the part's, after a pair of scissors, the whole clip's in its
// tooltip. Rows are dragged within their
// own list only: the drag carries their row numbers, and the drop moves them.
class TaskListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        InputFile,
        Length,
        Size,
        Status,
        InPoint,
        OutPoint,
        FrameRate,
        Video,
        Sound,
        DateTaken,
        FileSize,
        ColumnCount
    };

    // What a copy does with a row beyond copying it, or why it cannot copy it; none (an invalid
    // value) when it copies it as it is or nobody asked. Its tooltip too, on every column.
    static constexpr int CopyNoteRole = Qt::UserRole + 1;
    // The note's CopyNoteKind, as an int.
    static constexpr int CopyNoteKindRole = Qt::UserRole + 2;
    enum class CopyNoteKind
    {
        Warning,     // the row stops the copy, or the copy changes what the user set
        Information, // the copy takes the row in a way of its own, as the user would want
    };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Every change of the order goes through here: Move Up and Down move one row by one, a drop
    // moves each dragged row to its place. A block of count rows from sourceRow goes before the
    // row that is at destinationChild now (rowCount(): to the bottom).
    bool moveRows(const QModelIndex& sourceParent, int sourceRow, int count,
                  const QModelIndex& destinationParent, int destinationChild) override;

    QStringList mimeTypes() const override;
    // The rows of the indexes.
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDropActions() const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    // Moves the dragged rows, in their order, to stand together before row (-1: at the bottom).
    // The rows themselves move, so that a selection moves with them.
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;
    // Rows leave only through removeItem and clear. A move drag ends with the view asking to
    // remove the rows it took, which the drop has moved already: they must stay.
    bool removeRows(int, int, const QModelIndex& = QModelIndex()) override { return false; }

    TaskRow ReadItemData(int row) const;
    // The parts of a row that change once it is listed.
    void setStatus(int row, TaskStatus status);
    void setPoints(int row, std::optional<double> inPoint, std::optional<double> outPoint);
    // The notes hold for the rows as they stand: a removal, a move or a new order drops them.
    void setCopyNote(int row, const QString& note, CopyNoteKind kind = CopyNoteKind::Warning);
    void clearCopyNotes();

    void appendItem(const TaskRow& item);
    void removeItem(int row);
    // Deletes every row.
    void clear();
    // Every row, top first, and all of them replaced at once: what an undo works with.
    const QVector<TaskRow>& rows() const { return m_rows; }
    void setRows(const QVector<TaskRow>& rows);
    // The first row, from the top, whose path equals path exactly (letter case significant).
    int findPath(const QString& path) const;

signals:
    // Around the moves of a drop, so that the new order can be taken back as one change.
    void rowsDropping();
    void rowsDropped();
    // A row's in or out point changed.
    void pointsChanged(int row);

private:
    void rowChanged(int row);

    QVector<TaskRow> m_rows;
    struct CopyNote
    {
        QString text;
        CopyNoteKind kind;
    };
    QHash<int, CopyNote> m_copyNotes; // by row
};

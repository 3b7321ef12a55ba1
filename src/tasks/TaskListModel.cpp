#include "TaskListModel.h"

#include "ClipPart.h"
#include "Durations.h"

#include <QMimeData>
#include <algorithm>

namespace {

// The row numbers of a drag, "0,2,3": they mean something only to the list they came from,
// which the view makes sure of by taking drops from itself alone.
const QString kTaskRowsFormat = QStringLiteral("application/x-vantomel-task-rows");

} // namespace

int TaskListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int TaskListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TaskListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const TaskRow& row = m_rows[index.row()];
    const bool trimmedLength = index.column() == Length && row.isTrimmed();
    if (trimmedLength && role == Qt::ToolTipRole)
        return QStringLiteral("Trimmed from %1").arg(row.length);
    if (role == CopyNoteRole || role == Qt::ToolTipRole || role == CopyNoteKindRole) {
        const auto note = m_copyNotes.constFind(index.row());
        if (note == m_copyNotes.cend())
            return {};
        return role == CopyNoteKindRole ? QVariant(int(note->kind)) : QVariant(note->text);
    }
    if (role != Qt::DisplayRole)
        return {};
    const auto pointText = [](std::optional<double> point) {
        return point ? PointText(*point) : QString();
    };
    switch (index.column()) {
    case InputFile:
        return row.path;
    case Length:
        // Scissors mark the part of a trimmed clip.
        return row.isTrimmed() && row.partSeconds() >= 0
                   ? QStringLiteral("\u2702 ") + FormatDuration(row.partSeconds())
                   : row.length;
    case Size:
        return row.frameSize;
    case Status:
        return displayText(row.status);
    case InPoint:
        return pointText(row.inPoint);
    case OutPoint:
        return pointText(row.outPoint);
    case FrameRate:
        return row.facts.frameRate;
    case Video:
        return row.facts.video;
    case Sound:
        return row.facts.sound;
    case DateTaken:
        return dateTakenText(row.facts.dateTaken);
    case FileSize:
        return fileSizeText(row.facts.fileSize);
    default:
        return {};
    }
}

QVariant TaskListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    switch (section) {
    case InputFile:
        return QStringLiteral("Input File");
    case Length:
        return QStringLiteral("Length");
    case Size:
        return QStringLiteral("Size");
    case Status:
        return QStringLiteral("Status");
    case InPoint:
        return QStringLiteral("In");
    case OutPoint:
        return QStringLiteral("Out");
    case FrameRate:
        return QStringLiteral("Frame Rate");
    case Video:
        return QStringLiteral("Video");
    case Sound:
        return QStringLiteral("Sound");
    case DateTaken:
        return QStringLiteral("Date Taken");
    case FileSize:
        return QStringLiteral("File Size");
    default:
        return {};
    }
}

Qt::ItemFlags TaskListModel::flags(const QModelIndex& index) const
{
    // Rows are dropped between rows, never onto one.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled
                           : Qt::ItemIsDropEnabled;
}

bool TaskListModel::moveRows(const QModelIndex& sourceParent, int sourceRow, int count,
                             const QModelIndex& destinationParent, int destinationChild)
{
    if (sourceParent.isValid() || destinationParent.isValid() || count < 1 || sourceRow < 0 ||
        sourceRow + count > rowCount() || destinationChild < 0 || destinationChild > rowCount())
        return false;
    // Refuses a move onto itself, which would change nothing.
    if (!beginMoveRows(sourceParent, sourceRow, sourceRow + count - 1, destinationParent,
                       destinationChild))
        return false;
    m_copyNotes.clear();
    const auto first = m_rows.begin();
    if (destinationChild < sourceRow)
        std::rotate(first + destinationChild, first + sourceRow, first + sourceRow + count);
    else
        std::rotate(first + sourceRow, first + sourceRow + count, first + destinationChild);
    endMoveRows();
    return true;
}

QStringList TaskListModel::mimeTypes() const
{
    return {kTaskRowsFormat};
}

QMimeData* TaskListModel::mimeData(const QModelIndexList& indexes) const
{
    QStringList rows;
    for (const QModelIndex& index : indexes) {
        if (index.isValid())
            rows << QString::number(index.row());
    }
    auto* data = new QMimeData;
    data->setData(kTaskRowsFormat, rows.join(QLatin1Char(',')).toLatin1());
    return data;
}

Qt::DropActions TaskListModel::supportedDropActions() const
{
    return Qt::MoveAction;
}

bool TaskListModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int,
                                    const QModelIndex& parent) const
{
    return action == Qt::MoveAction && data && data->hasFormat(kTaskRowsFormat) &&
           !parent.isValid() && row <= rowCount();
}

bool TaskListModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                                 const QModelIndex& parent)
{
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    // Each dragged row once, top first; a number that is no row is no part of the drag.
    QVector<int> dragged;
    for (const QByteArray& number : data->data(kTaskRowsFormat).split(',')) {
        bool isNumber = false;
        const int dragRow = number.toInt(&isNumber);
        if (isNumber && dragRow >= 0 && dragRow < rowCount())
            dragged << dragRow;
    }
    std::sort(dragged.begin(), dragged.end());
    dragged.erase(std::unique(dragged.begin(), dragged.end()), dragged.end());
    if (dragged.isEmpty())
        return false;

    emit rowsDropping();
    const int destination = row < 0 ? rowCount() : row;
    const auto below = std::lower_bound(dragged.cbegin(), dragged.cend(), destination);
    // The rows above the place, last first, each before the one moved before it; the rows
    // below it, first first, each after the one moved before it. Neither disturbs the rows
    // still to move.
    int blockTop = destination;
    for (auto above = below; above != dragged.cbegin();) {
        const int from = *--above;
        moveRows(QModelIndex(), from, 1, QModelIndex(), blockTop);
        --blockTop;
    }
    int blockEnd = destination;
    for (auto next = below; next != dragged.cend(); ++next) {
        moveRows(QModelIndex(), *next, 1, QModelIndex(), blockEnd);
        ++blockEnd;
    }
    emit rowsDropped();
    return true;
}

TaskRow TaskListModel::ReadItemData(int row) const
{
    return m_rows.at(row);
}

void TaskListModel::setStatus(int row, TaskStatus status)
{
    m_rows[row].status = status;
    rowChanged(row);
}

void TaskListModel::setPoints(int row, std::optional<double> inPoint,
                              std::optional<double> outPoint)
{
    m_rows[row].inPoint = inPoint;
    m_rows[row].outPoint = outPoint;
    rowChanged(row);
    emit pointsChanged(row);
}

void TaskListModel::appendItem(const TaskRow& item)
{
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    m_rows.append(item);
    endInsertRows();
}

void TaskListModel::removeItem(int row)
{
    beginRemoveRows(QModelIndex(), row, row);
    m_copyNotes.clear();
    m_rows.removeAt(row);
    endRemoveRows();
}

void TaskListModel::clear()
{
    if (m_rows.isEmpty())
        return;
    beginRemoveRows(QModelIndex(), 0, rowCount() - 1);
    m_copyNotes.clear();
    m_rows.clear();
    endRemoveRows();
}

void TaskListModel::setRows(const QVector<TaskRow>& rows)
{
    beginResetModel();
    m_copyNotes.clear();
    m_rows = rows;
    endResetModel();
}

int TaskListModel::findPath(const QString& path) const
{
    for (int row = 0; row < m_rows.size(); ++row) {
        if (m_rows[row].path == path)
            return row;
    }
    return -1;
}

void TaskListModel::rowChanged(int row)
{
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1), {Qt::DisplayRole});
}

void TaskListModel::setCopyNote(int row, const QString& note, CopyNoteKind kind)
{
    if (row < 0 || row >= m_rows.size())
        return;
    m_copyNotes.insert(row, {note, kind});
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1),
                     {CopyNoteRole, CopyNoteKindRole, Qt::ToolTipRole});
}

void TaskListModel::clearCopyNotes()
{
    if (m_copyNotes.isEmpty())
        return;
    m_copyNotes.clear();
    emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1),
                     {CopyNoteRole, CopyNoteKindRole, Qt::ToolTipRole});
}

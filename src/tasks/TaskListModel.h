#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QVector>
#include <array>

// One task-list row as the rest of the program sees it. The time values are derived from the
// cells when reading and never written back.
struct ltvItemData
{
    QString path;
    std::array<QString, 10> cells;
    double time0 = -1; // ParseDuration(cells[0])
    double time5 = -1;
    double time6 = -1;
    double time7 = -1;
    double time8 = -1;
    double time9 = -1;
};

// Cell selectors of ReadItemData and WriteItemData.
namespace ItemSelector {
constexpr int kWholeRow = -2; // path, all cells (and all times when reading)
constexpr int kPath = -1;
constexpr int kLength = 0; // the duration text
constexpr int kFrameSize = 1;
constexpr int kStatus = 2;
constexpr int kName = 3; // the file name without directory and extension, never shown
} // namespace ItemSelector

// Status texts of a row.
namespace TaskStatus {
inline const QString kOk = QStringLiteral("OK");
inline const QString kConverting = QStringLiteral("Converting");
inline const QString kWaitingForJoining = QStringLiteral("Waiting for joining");
inline const QString kJoining = QStringLiteral("Joining");
inline const QString kComplete = QStringLiteral("Complete");
inline const QString kStop = QStringLiteral("Stop");
} // namespace TaskStatus

// The ordered input videos of the join job, top row first. Every row always holds its path
// and ten cells; cells 0 to 2 are shown under Length, Size and Status.
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
        ColumnCount
    };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Copies into item what the selector names: -2 path, cells and times; -1 the path; 0 to 9
    // one cell (cells 0 and 5 to 9 with their time); any other selector nothing.
    void ReadItemData(int row, int selector, ltvItemData& item) const;
    // Copies from item into the row with the same selectors; times are never stored.
    void WriteItemData(int row, int selector, const ltvItemData& item);

    // Appends a row with ten empty cells and writes the whole item into it.
    void appendItem(const ltvItemData& item);
    void removeItem(int row);
    // Deletes every row.
    void clear();
    // Exchanges the whole contents of two rows.
    void exchangeItems(int first, int second);

    // The first row, from the top, whose path equals path exactly (letter case significant).
    int findPath(const QString& path) const;

private:
    struct Row
    {
        QString path;
        std::array<QString, 10> cells;
    };
    void rowChanged(int row);

    QVector<Row> m_rows;
};

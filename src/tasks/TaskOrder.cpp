#include "TaskOrder.h"

#include "TaskListModel.h"

#include <algorithm>
#include <numeric>

namespace {

// Width times height of "1920x1080"; 0 for a row without a picture size.
qint64 pictureArea(const QString& frameSize)
{
    const int x = frameSize.indexOf(QLatin1Char('x'));
    return qint64(frameSize.left(x).toInt()) * frameSize.mid(x + 1).toInt();
}

// Names as people read them: runs of digits by their value, the rest without letter case.
// Written out rather than left to QCollator, whose numeric mode needs ICU, which not every Qt
// is built with.
int compareNames(QStringView a, QStringView b)
{
    const auto runEnd = [](QStringView text, qsizetype from) {
        const bool digits = text[from].isDigit();
        while (from < text.size() && text[from].isDigit() == digits)
            ++from;
        return from;
    };
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        const QStringView runA = a.sliced(i, runEnd(a, i) - i);
        const QStringView runB = b.sliced(j, runEnd(b, j) - j);
        i += runA.size();
        j += runB.size();
        int comparison = 0;
        if (runA[0].isDigit() && runB[0].isDigit()) {
            // Leading zeros aside, the longer run is the larger number.
            const auto value = [](QStringView run) {
                while (run.size() > 1 && run[0] == QLatin1Char('0'))
                    run = run.sliced(1);
                return run;
            };
            const QStringView x = value(runA);
            const QStringView y = value(runB);
            comparison = x.size() != y.size() ? (x.size() < y.size() ? -1 : 1) : x.compare(y);
        } else {
            comparison = runA.compare(runB, Qt::CaseInsensitive);
        }
        if (comparison != 0)
            return comparison;
    }
    return (a.size() - i > 0) - (b.size() - j > 0);
}

// Negative, zero or positive as a sorts before, with or after b by the column.
int compareBy(int column, const TaskRow& a, const TaskRow& b)
{
    const auto compareNumbers = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
    switch (column) {
    case TaskListModel::InputFile:
        return compareNames(a.path, b.path);
    case TaskListModel::Length:
        return compareNumbers(a.partSeconds(), b.partSeconds());
    case TaskListModel::Size:
        return compareNumbers(pictureArea(a.frameSize), pictureArea(b.frameSize));
    case TaskListModel::Status:
        return compareNumbers(int(a.status), int(b.status));
    case TaskListModel::InPoint:
        return compareNumbers(a.inPoint.value_or(0), b.inPoint.value_or(0));
    case TaskListModel::OutPoint:
        return compareNumbers(a.outPoint.value_or(a.lengthSeconds()),
                              b.outPoint.value_or(b.lengthSeconds()));
    case TaskListModel::FrameRate:
        return compareNumbers(a.facts.frameRate.toDouble(), b.facts.frameRate.toDouble());
    case TaskListModel::Video:
        return compareNames(a.facts.video, b.facts.video);
    case TaskListModel::Sound:
        return compareNames(a.facts.sound, b.facts.sound);
    case TaskListModel::DateTaken:
        return compareNumbers(a.facts.dateTaken, b.facts.dateTaken);
    case TaskListModel::FileSize:
        return compareNumbers(a.facts.fileSize, b.facts.fileSize);
    default:
        return 0;
    }
}

} // namespace

QVector<int> sortedRowNumbers(const QVector<TaskRow>& rows, int column, Qt::SortOrder order)
{
    QVector<int> rowNumbers(rows.size());
    std::iota(rowNumbers.begin(), rowNumbers.end(), 0);
    std::stable_sort(rowNumbers.begin(), rowNumbers.end(), [&](int a, int b) {
        const int comparison = compareBy(column, rows[a], rows[b]);
        return order == Qt::AscendingOrder ? comparison < 0 : comparison > 0;
    });
    return rowNumbers;
}

#pragma once

#include "TaskRow.h"

#include <QVector>
#include <Qt>

// The order a column puts the rows in: the row numbers, top first, of the rows as they would
// stand sorted by the column's values. Names sort as people read them (clip2 before clip10,
// letter case aside), lengths and sizes by their figures; rows with equal values keep their
// order, so sorting by one column and then another orders by the second, then the first.
QVector<int> sortedRowNumbers(const QVector<TaskRow>& rows, int column, Qt::SortOrder order);

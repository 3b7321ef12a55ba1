#pragma once

#include <QStyledItemDelegate>

class QAbstractItemView;

// A warning before the Status of a row that cannot be joined with the others without
// re-encoding (TaskListModel::CopyNoteRole).
class CopyNoteMark : public QStyledItemDelegate
{
    Q_OBJECT

public:
    CopyNoteMark(QAbstractItemView& list, int statusColumn);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    QIcon m_warning;
    int m_side;
};

#pragma once

#include <QStyledItemDelegate>

class QAbstractItemView;

// A mark before the Status of a row that has a copy note (TaskListModel::CopyNoteRole): a warning
// where the row stops the copy or a cut of it moves, an information mark where the copy takes it
// in a way of its own (encodes it again to match the others).
class CopyNoteMark : public QStyledItemDelegate
{
    Q_OBJECT

public:
    CopyNoteMark(QAbstractItemView& list, int statusColumn);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    QIcon m_warning;
    QIcon m_information;
    int m_side;
};

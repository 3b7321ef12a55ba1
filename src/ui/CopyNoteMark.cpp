#include "CopyNoteMark.h"

#include "tasks/TaskListModel.h"

#include <QAbstractItemView>
#include <QStyle>

CopyNoteMark::CopyNoteMark(QAbstractItemView& list, int statusColumn)
    : QStyledItemDelegate(&list),
      m_warning(list.style()->standardIcon(QStyle::SP_MessageBoxWarning)),
      m_information(list.style()->standardIcon(QStyle::SP_MessageBoxInformation)),
      m_side(list.style()->pixelMetric(QStyle::PM_SmallIconSize))
{
    list.setItemDelegateForColumn(statusColumn, this);
}

void CopyNoteMark::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.data(TaskListModel::CopyNoteRole).isNull())
        return;
    option->features |= QStyleOptionViewItem::HasDecoration;
    option->icon = index.data(TaskListModel::CopyNoteKindRole).toInt() ==
                           int(TaskListModel::CopyNoteKind::Information)
                       ? m_information
                       : m_warning;
    // The list's icon size is the thumbnails'; the mark stays as small as the text.
    option->decorationSize = QSize(m_side, m_side);
}

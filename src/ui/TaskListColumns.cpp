#include "TaskListColumns.h"

#include "tasks/TaskListModel.h"

#include <QHeaderView>
#include <QMenu>

namespace {

// Wide enough for "00:01:02.345", "29.97", "H.264 High", "AAC 48 kHz stereo", "2025-07-11 14:03",
// "123.4 MB".
constexpr std::pair<int, int> kStartWidths[] = {
    {TaskListModel::InPoint, 100}, {TaskListModel::OutPoint, 100}, {TaskListModel::FrameRate, 80},
    {TaskListModel::Video, 120},   {TaskListModel::Sound, 140},    {TaskListModel::DateTaken, 120},
    {TaskListModel::FileSize, 80},
};

} // namespace

TaskListColumns::TaskListColumns(QHeaderView& header) : QObject(&header), m_header(header)
{
    for (const auto& [column, width] : kStartWidths)
        m_header.resizeSection(column, width);
    m_header.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&m_header, &QWidget::customContextMenuRequested, this, &TaskListColumns::showMenu);
}

QString TaskListColumns::caption(int column) const
{
    return m_header.model()->headerData(column, Qt::Horizontal).toString();
}

QStringList TaskListColumns::hiddenCaptions() const
{
    QStringList hidden;
    for (int column = 0; column < m_header.count(); ++column) {
        if (m_header.isSectionHidden(column))
            hidden << caption(column);
    }
    return hidden;
}

void TaskListColumns::hideCaptions(const QStringList& captions)
{
    // The paths stay: without them no row could be told from another.
    for (int column = TaskListModel::InputFile + 1; column < m_header.count(); ++column)
        m_header.setSectionHidden(column, captions.contains(caption(column)));
}

void TaskListColumns::showMenu(const QPoint& at)
{
    QMenu menu(&m_header);
    addColumnActions(menu);
    menu.exec(m_header.viewport()->mapToGlobal(at));
}

void TaskListColumns::addColumnActions(QMenu& menu)
{
    for (int column = 0; column < m_header.count(); ++column) {
        QAction* shown = menu.addAction(caption(column));
        shown->setCheckable(true);
        shown->setChecked(!m_header.isSectionHidden(column));
        shown->setEnabled(column != TaskListModel::InputFile);
        connect(shown, &QAction::toggled, this,
                [this, column](bool show) { m_header.setSectionHidden(column, !show); });
    }
}

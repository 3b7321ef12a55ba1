#pragma once

#include <QObject>
#include <QStringList>

class QHeaderView;
class QMenu;

// The task list's columns beyond the first four: their starting widths, which take no share of
// the list's width changes, and the header's menu that hides and shows any column but the
// first. The hidden ones are named by their captions, as Preferences.ini keeps them.
class TaskListColumns : public QObject
{
    Q_OBJECT

public:
    explicit TaskListColumns(QHeaderView& header);

    QStringList hiddenCaptions() const;
    // Captions that name no column are passed over: a later version may have dropped it.
    void hideCaptions(const QStringList& captions);
    // The header menu's items: each column's caption, checked while it shows.
    void addColumnActions(QMenu& menu);

private:
    void showMenu(const QPoint& at);
    QString caption(int column) const;

    QHeaderView& m_header;
};

#pragma once

#include <QStyledItemDelegate>

class QAbstractItemView;
class Thumbnails;

// Draws each row's thumbnail before its path in the task list. The pictures are made on worker
// threads as rows come in, and the list is drawn again as each one arrives; until then a row
// shows an empty frame of the same size, so that the paths stay in line.
class RowPictures : public QStyledItemDelegate
{
    Q_OBJECT

public:
    // The picture's box in the list, in the list's own pixels.
    static constexpr QSize kBox{64, 36};

    RowPictures(QAbstractItemView& list, int pathColumn);
    ~RowPictures() override;

signals:
    // A row's picture is in, or its file turned out to have none.
    void pictureArrived(const QString& path);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    void requestRows(int first, int last);

    QAbstractItemView& m_list;
    int m_pathColumn;
    qreal m_pixelRatio;
    std::unique_ptr<Thumbnails> m_thumbnails;
};

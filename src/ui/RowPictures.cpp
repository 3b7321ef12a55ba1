#include "RowPictures.h"

#include "media/Thumbnails.h"

#include <QAbstractItemView>
#include <QPainter>

RowPictures::RowPictures(QAbstractItemView& list, int pathColumn)
    : QStyledItemDelegate(&list), m_list(list), m_pathColumn(pathColumn),
      m_pixelRatio(list.devicePixelRatioF()),
      m_thumbnails(std::make_unique<Thumbnails>((QSizeF(kBox) * m_pixelRatio).toSize()))
{
    m_list.setItemDelegateForColumn(pathColumn, this);
    m_list.setIconSize(kBox);
    connect(m_thumbnails.get(), &Thumbnails::ready, this, [this](const QString& path) {
        m_list.viewport()->update();
        emit pictureArrived(path);
    });
    // Every row's picture is asked for as it comes in, not only when it is scrolled to, so
    // that a long list is complete by the time one looks down it.
    QAbstractItemModel* model = m_list.model();
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { requestRows(first, last); });
    connect(model, &QAbstractItemModel::modelReset, this,
            [this] { requestRows(0, m_list.model()->rowCount() - 1); });
}

RowPictures::~RowPictures() = default;

void RowPictures::requestRows(int first, int last)
{
    for (int row = first; row <= last; ++row)
        m_thumbnails->request(m_list.model()->index(row, m_pathColumn).data().toString());
}

void RowPictures::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const QImage picture = m_thumbnails->request(index.data().toString());
    // The picture in the middle of the box, on a dark frame like a player's.
    QPixmap boxed((QSizeF(kBox) * m_pixelRatio).toSize());
    boxed.setDevicePixelRatio(m_pixelRatio);
    boxed.fill(QColor(40, 40, 40));
    if (!picture.isNull()) {
        QPainter painter(&boxed);
        const QSizeF shown = QSizeF(picture.size()) / m_pixelRatio;
        painter.drawImage(QRectF(QPointF((kBox.width() - shown.width()) / 2,
                                         (kBox.height() - shown.height()) / 2),
                                 shown),
                          picture);
    }
    option->features |= QStyleOptionViewItem::HasDecoration;
    option->icon = QIcon(boxed);
    option->decorationSize = kBox;
}

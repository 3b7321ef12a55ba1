#include "PreviewDialog.h"

#include "ClipPoints.h"
#include "ClipPreview.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHideEvent>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr QSize kSize(720, 520);
}

PreviewDialog::PreviewDialog(QWidget* mainWindow)
    : OwnedDialog(mainWindow), m_preview(new ClipPreview(this)),
      m_points(new ClipPoints(*m_preview, this))
{
    setObjectName(QStringLiteral("PreviewDialog"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_preview, 1);
    layout->addWidget(m_points);
    connect(m_points, &ClipPoints::pointsChanged, this, &PreviewDialog::pointsChanged);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(tr("Close"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("btnClose"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    // At a large scale the usual size is larger than the screen.
    const QScreen* screen = QGuiApplication::primaryScreen();
    resize(screen ? kSize.boundedTo(screen->availableGeometry().size() * 9 / 10) : kSize);
}

void PreviewDialog::showClip(const QString& path, std::optional<qint64> inMs,
                             std::optional<qint64> outMs, bool pointsEditable)
{
    setWindowTitle(QFileInfo(path).fileName());
    m_points->setPoints(inMs, outMs);
    m_points->setEnabled(pointsEditable);
    m_preview->open(path);
    show();
    m_preview->setFocus();
}

void PreviewDialog::hideEvent(QHideEvent* event)
{
    OwnedDialog::hideEvent(event);
    if (!event->spontaneous())
        m_preview->close();
}

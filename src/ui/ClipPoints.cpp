#include "ClipPoints.h"

#include "ClipPreview.h"
#include "tasks/Durations.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

ClipPoints::ClipPoints(ClipPreview& preview, QWidget* parent)
    : QWidget(parent), m_preview(preview), m_inLabel(new QLabel(this)), m_outLabel(new QLabel(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    const auto button = [this, layout](const QString& text, const char* name, auto slot) {
        auto* pressed = new QPushButton(text, this);
        pressed->setObjectName(QString::fromLatin1(name));
        pressed->setAutoDefault(false);
        connect(pressed, &QPushButton::clicked, this, slot);
        layout->addWidget(pressed);
    };
    button(tr("Set In"), "btnSetIn", &ClipPoints::setInAtShownPicture);
    layout->addWidget(m_inLabel);
    button(tr("Set Out"), "btnSetOut", &ClipPoints::setOutAtShownPicture);
    layout->addWidget(m_outLabel);
    layout->addStretch();
    button(tr("Clear In and Out"), "btnClearPoints", &ClipPoints::clearPoints);
    m_inLabel->setObjectName(QStringLiteral("labIn"));
    m_outLabel->setObjectName(QStringLiteral("labOut"));

    // The keys users of other cutting programs know.
    for (const auto& [key, slot] : {std::pair{Qt::Key_I, &ClipPoints::setInAtShownPicture},
                                    std::pair{Qt::Key_O, &ClipPoints::setOutAtShownPicture}}) {
        auto* action = new QAction(parent);
        action->setShortcut(QKeySequence(key));
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, slot);
        parent->addAction(action);
    }
    showPoints();
}

void ClipPoints::setPoints(std::optional<qint64> inMs, std::optional<qint64> outMs)
{
    m_in = inMs;
    m_out = outMs;
    showPoints();
}

void ClipPoints::setInAtShownPicture()
{
    const int frame = m_preview.frame();
    if (frame < 0)
        return;
    const qint64 in = m_preview.timeline().frameMs.value(frame);
    changePoints(in > 0 ? std::optional(in) : std::nullopt,
                 m_out && *m_out <= in ? std::nullopt : m_out);
}

void ClipPoints::setOutAtShownPicture()
{
    const ClipTimeline& timeline = m_preview.timeline();
    const int frame = m_preview.frame();
    if (frame < 0)
        return;
    const bool last = frame + 1 >= timeline.frameCount();
    const qint64 out = last ? timeline.durationMs : timeline.frameMs.value(frame + 1);
    changePoints(m_in && *m_in >= out ? std::nullopt : m_in,
                 last ? std::nullopt : std::optional(out));
}

void ClipPoints::clearPoints()
{
    changePoints(std::nullopt, std::nullopt);
}

void ClipPoints::changePoints(std::optional<qint64> inMs, std::optional<qint64> outMs)
{
    if (inMs == m_in && outMs == m_out)
        return;
    setPoints(inMs, outMs);
    emit pointsChanged(m_in, m_out);
}

void ClipPoints::showPoints()
{
    m_inLabel->setText(m_in ? FormatMilliseconds(*m_in) : tr("start"));
    m_outLabel->setText(m_out ? FormatMilliseconds(*m_out) : tr("end"));
}

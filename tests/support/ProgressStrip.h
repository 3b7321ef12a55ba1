#pragma once

#include "ui/ElidedLabel.h"

#include <QLabel>
#include <QString>
#include <QVector>
#include <QWidget>

// One label of the main window's progress strip as it shows now: the text it draws (a file name
// shortened to its width, the whole text of any other label) and the room it draws it in.
struct ProgressLabelFit
{
    QString name;
    QString shown;
    int needed = 0; // pixels the shown text takes
    int width = 0;  // pixels the label has for its text

    bool fits() const { return needed <= width; }
    QString describe() const
    {
        return QStringLiteral("%1 \"%2\" needs %3 pixels, has %4")
            .arg(name, shown)
            .arg(needed)
            .arg(width);
    }
};

// Every shown label of the progress strip of the main window.
inline QVector<ProgressLabelFit> progressLabelFits(const QWidget& mainWindow)
{
    QVector<ProgressLabelFit> fits;
    const auto* strip = mainWindow.findChild<QWidget*>(QStringLiteral("panBottomLeft"));
    if (!strip)
        qFatal("the main window has no progress strip");
    for (const QLabel* label : strip->findChildren<QLabel*>()) {
        if (label->isHidden())
            continue;
        const auto* elided = qobject_cast<const ElidedLabel*>(label);
        const QString shown = elided ? elided->shownText() : label->text();
        fits.append({label->objectName(), shown, label->fontMetrics().horizontalAdvance(shown),
                     label->contentsRect().width()});
    }
    return fits;
}

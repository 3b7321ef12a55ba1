#pragma once

#include "OwnedDialog.h"

#include <optional>

class ClipPoints;
class ClipPreview;

// A clip's pictures in a dialog of the main window, titled with the clip's file name, with the
// in and out points of its row. Hiding it lets go of the file.
class PreviewDialog : public OwnedDialog
{
    Q_OBJECT

public:
    explicit PreviewDialog(QWidget* mainWindow);

    // The points are milliseconds from the clip's first picture; they can be changed only when
    // pointsEditable (a job has not locked the list).
    void showClip(const QString& path, std::optional<qint64> inMs = {},
                  std::optional<qint64> outMs = {}, bool pointsEditable = true);
    ClipPreview& preview() { return *m_preview; }

signals:
    void pointsChanged(std::optional<qint64> inMs, std::optional<qint64> outMs);

protected:
    void hideEvent(QHideEvent* event) override;

private:
    ClipPreview* m_preview;
    ClipPoints* m_points;
};

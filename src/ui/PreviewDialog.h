#pragma once

#include "OwnedDialog.h"

class ClipPreview;

// A clip's pictures in a dialog of the main window, titled with the clip's file name. Hiding
// it lets go of the file.
class PreviewDialog : public OwnedDialog
{
    Q_OBJECT

public:
    explicit PreviewDialog(QWidget* mainWindow);

    void showClip(const QString& path);
    ClipPreview& preview() { return *m_preview; }

protected:
    void hideEvent(QHideEvent* event) override;

private:
    ClipPreview* m_preview;
};

#pragma once

#include <QLabel>

// A one-line label that takes the room its layout gives it: a text longer than that shows with
// "…" in its middle, so that the start and the extension of a file name stay readable. text()
// is the whole text.
class ElidedLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    QSize minimumSizeHint() const override;
    // The text as it shows at the label's present width.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

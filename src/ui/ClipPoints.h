#pragma once

#include <QWidget>
#include <optional>

class ClipPreview;
class QLabel;

// The in and out points of a clip, set at the picture a preview shows: "Set In" (I) takes the
// time the picture begins, "Set Out" (O) the time it ends, so that the part keeps both pictures.
// Times are milliseconds from the clip's first picture. A point that would end the part before
// it begins takes the other point away.
class ClipPoints : public QWidget
{
    Q_OBJECT

public:
    // The keys I and O work anywhere in parent's window.
    ClipPoints(ClipPreview& preview, QWidget* parent);

    void setPoints(std::optional<qint64> inMs, std::optional<qint64> outMs);
    std::optional<qint64> inMs() const { return m_in; }
    std::optional<qint64> outMs() const { return m_out; }

    void setInAtShownPicture();
    void setOutAtShownPicture();
    void clearPoints();

signals:
    // The user set or cleared a point.
    void pointsChanged(std::optional<qint64> inMs, std::optional<qint64> outMs);

private:
    void showPoints();
    void changePoints(std::optional<qint64> inMs, std::optional<qint64> outMs);

    ClipPreview& m_preview;
    QLabel* m_inLabel;
    QLabel* m_outLabel;
    std::optional<qint64> m_in;
    std::optional<qint64> m_out;
};

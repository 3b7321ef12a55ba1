#pragma once

#include "media/ClipFrames.h"
#include "media/ClipTimeline.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace Ui {
class ClipPreview;
}

// One clip's pictures, one at a time: the picture, a slider of one step a picture, the time and
// number of the picture shown, Play and Pause at the clip's own pace, and Left and Right to step
// a picture. Decoding runs on ClipFrames' thread; while playing falls behind, pictures are left
// out rather than the clip played slower.
class ClipPreview : public QWidget
{
    Q_OBJECT

public:
    explicit ClipPreview(QWidget* parent = nullptr);
    ~ClipPreview() override;

    void open(const QString& path);
    // Stops and lets go of the file.
    void close();

    const ClipTimeline& timeline() const { return m_timeline; }
    // The picture shown; -1 before the first.
    int frame() const { return m_shown; }
    bool isPlaying() const { return m_playing; }

    void showFrame(int frame);
    void step(int pictures);
    void play();
    void pause();

signals:
    void frameShown(int frame);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void clipOpened(const ClipTimeline& timeline);
    void pictureReady(int frame, const QImage& image);
    void request(int frame);
    QSize pictureBox() const;
    qint64 playedMs() const;
    void playOn();
    void waitForNextPicture();

    std::unique_ptr<Ui::ClipPreview> ui;
    ClipFrames m_frames;
    ClipTimeline m_timeline;
    int m_shown = -1;
    // The picture asked for last, and whether its answer is still to come.
    int m_wanted = -1;
    bool m_waiting = false;
    bool m_playing = false;
    QTimer m_playTimer;
    QElapsedTimer m_playClock;
    qint64 m_playStartMs = 0;
};

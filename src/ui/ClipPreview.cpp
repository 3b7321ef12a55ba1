#include "ClipPreview.h"

#include "tasks/Durations.h"
#include "ui_ClipPreview.h"

#include <QAction>
#include <QSignalBlocker>

#include <algorithm>

ClipPreview::ClipPreview(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::ClipPreview>())
{
    ui->setupUi(this);
    m_playTimer.setSingleShot(true);
    m_playTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_playTimer, &QTimer::timeout, this, &ClipPreview::playOn);
    connect(&m_frames, &ClipFrames::opened, this, &ClipPreview::clipOpened);
    connect(&m_frames, &ClipFrames::pictureReady, this, &ClipPreview::pictureReady);
    connect(ui->btnPlay, &QPushButton::clicked, this, [this] { m_playing ? pause() : play(); });
    connect(ui->trbFrame, &QSlider::valueChanged, this, [this](int frame) {
        pause();
        request(frame);
    });
    // Wherever the focus is in the preview, the slider's too.
    for (const auto& [key, pictures] : {std::pair{Qt::Key_Left, -1}, std::pair{Qt::Key_Right, 1}}) {
        auto* stepping = new QAction(this);
        stepping->setShortcut(QKeySequence(key));
        stepping->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(stepping, &QAction::triggered, this, [this, pictures] { step(pictures); });
        addAction(stepping);
    }
}

ClipPreview::~ClipPreview() = default;

void ClipPreview::open(const QString& path)
{
    close();
    m_frames.open(path);
}

void ClipPreview::close()
{
    pause();
    m_frames.close();
    m_timeline = {};
    m_shown = m_wanted = -1;
    m_waiting = false;
    ui->imgPicture->clear();
    ui->labTime->setText(FormatMilliseconds(0));
    ui->labFrame->clear();
    const QSignalBlocker quiet(ui->trbFrame);
    ui->trbFrame->setRange(0, 0);
    ui->trbFrame->setEnabled(false);
    ui->btnPlay->setEnabled(false);
}

void ClipPreview::clipOpened(const ClipTimeline& timeline)
{
    m_timeline = timeline;
    if (timeline.frameCount() == 0) {
        ui->imgPicture->setText(tr("The pictures of this file cannot be read."));
        return;
    }
    {
        const QSignalBlocker quiet(ui->trbFrame);
        ui->trbFrame->setRange(0, timeline.frameCount() - 1);
        // A page is about a second.
        ui->trbFrame->setPageStep(std::max<qint64>(
            1, timeline.frameCount() * 1000 / std::max<qint64>(1, timeline.durationMs)));
        ui->trbFrame->setEnabled(true);
    }
    ui->btnPlay->setEnabled(true);
    request(0);
}

QSize ClipPreview::pictureBox() const
{
    return ui->imgPicture->contentsRect().size() * devicePixelRatioF();
}

void ClipPreview::request(int frame)
{
    if (frame < 0 || frame >= m_timeline.frameCount())
        return;
    m_wanted = frame;
    m_waiting = true;
    m_frames.requestPicture(frame, pictureBox());
}

void ClipPreview::showFrame(int frame)
{
    pause();
    if (m_timeline.frameCount() == 0)
        return;
    request(std::clamp(frame, 0, m_timeline.frameCount() - 1));
}

void ClipPreview::step(int pictures)
{
    // From the picture asked for last, so that quick presses all count.
    showFrame((m_waiting ? m_wanted : m_shown) + pictures);
}

void ClipPreview::pictureReady(int frame, const QImage& image)
{
    if (frame == m_wanted)
        m_waiting = false;
    QPixmap picture = QPixmap::fromImage(image);
    picture.setDevicePixelRatio(devicePixelRatioF());
    ui->imgPicture->setPixmap(picture);
    m_shown = frame;
    ui->labTime->setText(FormatMilliseconds(m_timeline.frameMs.value(frame)));
    ui->labFrame->setText(tr("Frame %1").arg(frame));
    // A dragged slider follows the hand, not the pictures that catch up with it.
    if (!ui->trbFrame->isSliderDown()) {
        const QSignalBlocker quiet(ui->trbFrame);
        ui->trbFrame->setValue(frame);
    }
    emit frameShown(frame);
    if (m_playing)
        waitForNextPicture();
}

void ClipPreview::play()
{
    if (m_playing || m_timeline.frameCount() == 0)
        return;
    // At the end, playing starts again from the beginning.
    const int from = m_shown < 0 || m_shown + 1 >= m_timeline.frameCount() ? 0 : m_shown;
    m_playing = true;
    ui->btnPlay->setText(tr("Pause"));
    m_playStartMs = m_timeline.frameMs.value(from);
    m_playClock.start();
    if (from != m_shown)
        request(from);
    else
        waitForNextPicture();
}

void ClipPreview::pause()
{
    m_playing = false;
    m_playTimer.stop();
    ui->btnPlay->setText(tr("Play"));
}

qint64 ClipPreview::playedMs() const
{
    return m_playStartMs + m_playClock.elapsed();
}

// Sleeps until the next picture is due.
void ClipPreview::waitForNextPicture()
{
    const qint64 due = m_shown + 1 < m_timeline.frameCount() ? m_timeline.frameMs[m_shown + 1]
                                                             : m_timeline.durationMs;
    m_playTimer.start(static_cast<int>(std::max<qint64>(0, due - playedMs())));
}

// The picture due by the clock, however many were due since: pictures that decoding could not
// keep up with are left out, so that the clip keeps its pace.
void ClipPreview::playOn()
{
    if (!m_playing || m_waiting)
        return; // the picture on its way calls again
    const qint64 now = playedMs();
    if (now >= m_timeline.durationMs) {
        pause();
        return;
    }
    const int due = m_timeline.frameAt(now);
    if (due > m_shown)
        request(due);
    else
        waitForNextPicture();
}

void ClipPreview::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The picture again at its new size.
    if (m_shown >= 0 && !m_playing)
        request(m_shown);
}

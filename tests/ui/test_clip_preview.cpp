#include "support/Clips.h"
#include "ui/ClipPreview.h"

#include <QPushButton>
#include <QTest>

// The preview widget on a real clip of 50 pictures.
class TestClipPreview : public QObject
{
    Q_OBJECT

private slots:
    // Playing ends on the last picture however the pictures were paced, and Play then starts
    // again from the first.
    void playingStopsOnTheLastPicture()
    {
        ClipPreview preview;
        preview.resize(320, 240);
        preview.show();
        preview.open(clipPath("numbered.mp4"));
        QTRY_VERIFY2_WITH_TIMEOUT(preview.frame() == 0, "no first picture within 20 s", 20000);
        auto* play = preview.findChild<QPushButton*>("btnPlay");
        play->click();
        QCOMPARE(play->text(), QString("Pause"));
        QTRY_VERIFY2_WITH_TIMEOUT(!preview.isPlaying(), "still playing a 2 s clip after 10 s",
                                  10000);
        QCOMPARE(preview.frame(), 49);
        QCOMPARE(play->text(), QString("Play"));
        play->click();
        QTRY_VERIFY2_WITH_TIMEOUT(preview.frame() < 49, "Play did not start again", 20000);
    }
};

QTEST_MAIN(TestClipPreview)
#include "test_clip_preview.moc"

#include "media/FrameReader.h"
#include "support/Clips.h"

#include <QTest>

namespace {

// The number of a picture of the numbered clips, read from the grey box in its middle: level
// 16+4n in video range.
int numberShown(const QImage& picture)
{
    const int grey = qGray(picture.pixel(picture.width() / 2, picture.height() / 2));
    return qRound((grey * 219.0 / 255.0) / 4.0);
}

} // namespace

// Exact pictures by number from the numbered clips, whose pictures show their own number.
class TestFrameReader : public QObject
{
    Q_OBJECT

private slots:
    // After the last picture, so that reaching frame seeks back; frame + 3 then decodes on.
    void seekingShowsThatPictureAndSteppingTheNext_data()
    {
        QTest::addColumn<QString>("clip");
        QTest::addColumn<int>("frame");
        QTest::addColumn<bool>("portrait");
        QTest::newRow("MP4, first") << "numbered.mp4" << 0 << false;
        QTest::newRow("MP4, inside a group") << "numbered.mp4" << 17 << false;
        QTest::newRow("MPEG-TS, a keyframe") << "numbered.ts" << 24 << false;
        QTest::newRow("MPEG-TS, inside a group") << "numbered.ts" << 31 << false;
        QTest::newRow("Matroska, leading picture of an open group")
            << "numbered.mkv" << 10 << false;
        QTest::newRow("AVI") << "numbered.avi" << 29 << false;
        QTest::newRow("AVI with B-pictures") << "numbered-bframes.avi" << 29 << false;
        QTest::newRow("MP4 turned upright") << "numbered-portrait.mp4" << 40 << true;
    }
    void seekingShowsThatPictureAndSteppingTheNext()
    {
        QFETCH(QString, clip);
        QFETCH(int, frame);
        QFETCH(bool, portrait);
        FrameReader reader(clipPath(clip));
        QCOMPARE(reader.frameCount(), 50);
        QCOMPARE(reader.frameTimeMs(frame), frame * 40);
        QCOMPARE(reader.durationMs(), 2000);
        const QSize box(160, 160);
        QCOMPARE(numberShown(reader.picture(49, box)), 49);
        QVERIFY(reader.next(box).isNull());
        const QImage picture = reader.picture(frame, box);
        QCOMPARE(numberShown(picture), frame);
        QCOMPARE(picture.size(), portrait ? QSize(120, 160) : QSize(160, 120));
        QCOMPARE(numberShown(reader.next(box)), frame + 1);
        QCOMPARE(numberShown(reader.picture(frame + 3, box)), frame + 3);
        QCOMPARE(reader.position(), frame + 3);
    }

    void aFileWithoutPicturesDoesNotOpen()
    {
        for (const char* clip : {"novideo.mp4", "text.avi", "truncated.mp4"}) {
            FrameReader reader(clipPath(clip));
            QVERIFY2(!reader.isOpen() && reader.picture(0, QSize(64, 64)).isNull(), clip);
        }
    }
};

QTEST_GUILESS_MAIN(TestFrameReader)
#include "test_frame_reader.moc"

#include "media/Thumbnails.h"
#include "media/VideoThumbnail.h"
#include "support/Clips.h"

#include <QSignalSpy>
#include <QTest>

// Thumbnails of the real clips, decoded with the FFmpeg libraries.
class TestThumbnails : public QObject
{
    Q_OBJECT

    const QSize box{160, 90};

private slots:
    // A shape of 0 stands for no picture.
    void thumbnailKeepsTheShownShape_data()
    {
        QTest::addColumn<QString>("clip");
        QTest::addColumn<double>("shape");
        QTest::newRow("landscape") << "clip.mp4" << 16.0 / 9;
        QTest::newRow("landscape 4:3 in a transport stream") << "clip.ts" << 4.0 / 3;
        QTest::newRow("portrait by rotation") << "portrait.mp4" << 9.0 / 16;
        QTest::newRow("anamorphic 4:3") << "anamorphic.mp4" << 16.0 / 9;
        QTest::newRow("sound only") << "novideo.mp4" << 0.0;
        QTest::newRow("not a video") << "text.avi" << 0.0;
        QTest::newRow("empty") << "empty.avi" << 0.0;
        QTest::newRow("cut short") << "truncated.mp4" << 0.0;
    }
    void thumbnailKeepsTheShownShape()
    {
        QFETCH(QString, clip);
        QFETCH(double, shape);
        const QImage image = decodeThumbnail(clipPath(clip), box);
        if (shape == 0) {
            QVERIFY(image.isNull());
            return;
        }
        QVERIFY(!image.isNull());
        QVERIFY2(image.width() == box.width() || image.height() == box.height(),
                 "the picture fills the box one way");
        QVERIFY(image.width() <= box.width() && image.height() <= box.height());
        QVERIFY2(qAbs(double(image.width()) / image.height() - shape) < 0.05,
                 qPrintable(QStringLiteral("%1x%2").arg(image.width()).arg(image.height())));
    }

    void aFileIsDecodedOnceAndThenAnsweredFromTheCache()
    {
        std::atomic_int decodes = 0;
        const QString clip = clipPath("clip.mp4");
        {
            Thumbnails thumbnails(
                box, [&](const QString& path, QSize size, const std::atomic_bool* stop) {
                    ++decodes;
                    return decodeThumbnail(path, size, stop);
                });
            QSignalSpy ready(&thumbnails, &Thumbnails::ready);
            for (int i = 0; i < 3; ++i)
                QVERIFY(thumbnails.request(clip).isNull());
            QVERIFY2(ready.wait(20000), "no thumbnail within 20 s");
            QCOMPARE(ready.at(0).at(0).toString(), clip);
            QVERIFY(!ready.at(0).at(1).value<QImage>().isNull());
            QVERIFY(!thumbnails.request(clip).isNull());
        } // waits for any decode still running
        QCOMPARE(decodes.load(), 1);
    }
};

QTEST_GUILESS_MAIN(TestThumbnails)
#include "test_thumbnails.moc"

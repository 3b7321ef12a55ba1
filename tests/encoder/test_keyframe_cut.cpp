// Where a copy cuts a part: at the keyframes nearest its points, or at the input's end.
#include "KeyframeCut.h"

#include <QtTest>

using asapi::cutAtKeyframes;
using asapi::InputPart;

class KeyframeCutTest : public QObject
{
    Q_OBJECT

private slots:
    // An input of 3 s with keyframes at 0, 0.4, 1.4 and 2.4 s, the pictures decoded before the
    // one at 1.4 s ending at 1.32 s (an open group); -1: no length, or to the end.
    void partMovesToNearestKeyframes_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("length");
        QTest::addColumn<double>("cutStart");
        QTest::addColumn<double>("cutEnd");
        QTest::newRow("in point nearer the keyframe after") << 1.2 << -1.0 << 1.4 << -1.0;
        QTest::newRow("halfway: the keyframe before") << 0.9 << -1.0 << 0.4 << -1.0;
        QTest::newRow("out point nearer the end") << 0.5 << 2.35 << 0.4 << -1.0;
        // Else both points would move to the same keyframe and leave nothing.
        QTest::newRow("shorter than half a group") << 1.4 << 0.1 << 1.4 << 2.4;
        QTest::newRow("before an open group's keyframe") << 0.4 << 1.0 << 0.4 << 1.32;
    }

    void partMovesToNearestKeyframes()
    {
        QFETCH(double, start);
        QFETCH(double, length);
        QFETCH(double, cutStart);
        QFETCH(double, cutEnd);
        const InputPart part{start, length < 0 ? std::nullopt : std::optional(length)};
        const asapi::KeyframeCut cut =
            cutAtKeyframes(part, {{0.0, 0.4, 1.4, 2.4}, {0.0, 0.4, 1.32, 2.4}, std::nullopt}, 3.0);
        QCOMPARE(cut.start, cutStart);
        QCOMPARE(cut.end.value_or(-1.0), cutEnd);
    }
};

QTEST_GUILESS_MAIN(KeyframeCutTest)
#include "test_keyframe_cut.moc"

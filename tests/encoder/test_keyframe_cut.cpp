// Where a copy cuts a part: at the keyframes nearest its points, or at the input's end.
#include "KeyframeCut.h"

#include <QtTest>

using asapi::cutAtKeyframes;
using asapi::InputPart;

class KeyframeCutTest : public QObject
{
    Q_OBJECT

private slots:
    // An input of 3 s with keyframes at 0, 0.4, 1.4 and 2.4 s; the one at 1.4 s opens an open
    // group of pictures, whose first two are shown before it and lean on it, so the pictures
    // decoded before it end at 1.32 s. -1: no length, or to the end. A stated length of 0: the
    // header states none, and the input was read to its end.
    void partMovesToNearestKeyframes_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("length");
        QTest::addColumn<double>("statedLength");
        QTest::addColumn<double>("cutStart");
        QTest::addColumn<double>("cutEnd");
        QTest::addColumn<bool>("outPointMoved");
        QTest::newRow("in point nearer the keyframe after")
            << 1.2 << -1.0 << 3.0 << 1.4 << -1.0 << false;
        QTest::newRow("halfway: the keyframe before") << 0.9 << -1.0 << 3.0 << 0.4 << -1.0 << false;
        QTest::newRow("out point nearer the end") << 0.5 << 2.35 << 3.0 << 0.4 << -1.0 << true;
        // Else both points would move to the same keyframe and leave nothing.
        QTest::newRow("shorter than half a group") << 1.4 << 0.1 << 3.0 << 1.4 << 2.4 << true;
        QTest::newRow("out point at an open group's keyframe")
            << 0.4 << 1.0 << 3.0 << 0.4 << 1.32 << true;
        QTest::newRow("out point past the end") << 1.4 << 999.0 << 3.0 << 1.4 << -1.0 << false;
        QTest::newRow("out point past the end of an input of no stated length")
            << 1.4 << 999.0 << 0.0 << 1.4 << -1.0 << false;
    }

    void partMovesToNearestKeyframes()
    {
        QFETCH(double, start);
        QFETCH(double, length);
        QFETCH(double, statedLength);
        QFETCH(double, cutStart);
        QFETCH(double, cutEnd);
        QFETCH(bool, outPointMoved);
        const InputPart part{start, length < 0 ? std::nullopt : std::optional(length)};
        asapi::Keyframes keyframes{{0.0, 0.4, 1.4, 2.4}, {0.0, 0.4, 1.32, 2.4}, std::nullopt};
        if (statedLength == 0.0)
            keyframes.inputEnd = 3.0;
        const asapi::KeyframeCut cut = cutAtKeyframes(part, keyframes, statedLength);
        QCOMPARE(cut.start, cutStart);
        QCOMPARE(cut.end.value_or(-1.0), cutEnd);
        QCOMPARE(std::any_of(cut.moved.begin(), cut.moved.end(),
                             [](const asapi::MovedPoint& point) { return point.outPoint; }),
                 outPointMoved);
    }
};

QTEST_GUILESS_MAIN(KeyframeCutTest)
#include "test_keyframe_cut.moc"

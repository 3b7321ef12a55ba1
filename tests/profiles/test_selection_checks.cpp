#include "profiles/SelectionChecks.h"

#include <QTest>

Q_DECLARE_METATYPE(OutputSelection)

namespace {

OutputSelection valid()
{
    OutputSelection s;
    s[OutputSetting::VideoBitrate].text = "800";
    s[OutputSetting::SampleRate].text = "44100";
    s[OutputSetting::AudioBitrate].text = "128";
    s[OutputSetting::AudioCodec].text = "MP2";
    return s;
}

OutputSelection with(OutputSetting setting, const QString& text)
{
    OutputSelection s = valid();
    s[setting].text = text;
    return s;
}

OutputSelection manual(const QString& width, const QString& height)
{
    OutputSelection s = valid();
    s.selectSize = false;
    s.width = width;
    s.height = height;
    return s;
}

} // namespace

class TestSelectionChecks : public QObject
{
    Q_OBJECT

private slots:
    void okChecksInOrder_data()
    {
        QTest::addColumn<OutputSelection>("selection");
        QTest::addColumn<QString>("caption"); // empty: accepted
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("field");
        QTest::addColumn<bool>("limit");

        using F = SelectionRefusal::Field;
        const QString audio = "Invalid Audio Bitrate";
        QTest::newRow("valid") << valid() << ""
                               << "" << 0 << false;
        QTest::newRow("leading blank, sign and hex pass") <<
            [] {
                OutputSelection s = with(OutputSetting::VideoBitrate, " 800");
                s[OutputSetting::SampleRate].text = "-0x10";
                return s;
            }() << ""
                                                          << "" << 0 << false;
        QTest::newRow("trailing blank")
            << with(OutputSetting::VideoBitrate, "800 ") << "Invalid Video Bitrate"
            << "The video bitrate is invalid." << int(F::VideoBitrate) << false;
        QTest::newRow("video bitrate before everything") <<
            [] {
                OutputSelection s = manual("", "");
                s[OutputSetting::VideoBitrate].text = "";
                s[OutputSetting::SampleRate].text = "x";
                return s;
            }() << "Invalid Video Bitrate"
                                                         << "The video bitrate is invalid."
                                                         << int(F::VideoBitrate) << false;
        QTest::newRow("width") << manual("wide", "") << "Invalid Width"
                               << "The output width is invalid." << int(F::Width) << false;
        QTest::newRow("height") << manual("720", "") << "Invalid Height"
                                << "The output height is invalid." << int(F::Height) << false;
        QTest::newRow("list size ignores the fields") <<
            [] {
                OutputSelection s = valid();
                s.width = "wide";
                return s;
            }() << ""
                                                      << "" << 0 << false;
        QTest::newRow("sample rate over 32 bits")
            << with(OutputSetting::SampleRate, "2147483648") << "Invalid Sample Rate"
            << "The sample rate is invalid." << int(F::SampleRate) << false;
        QTest::newRow("audio bitrate checked for MP3 too") <<
            [] {
                OutputSelection s = with(OutputSetting::AudioBitrate, "fast");
                s[OutputSetting::AudioCodec].text = "MP3";
                return s;
            }() << audio << "The Audio bitrate is invalid." << int(F::AudioBitrate)
                                                           << false;
        QTest::newRow("mp2 over 128") << with(OutputSetting::AudioBitrate, "200") << audio
                                      << "The maximum value of audio bitrate for MP2 codec is 128"
                                      << int(F::AudioBitrate) << true;
        QTest::newRow("lower-case mp2 not limited") <<
            [] {
                OutputSelection s = with(OutputSetting::AudioBitrate, "200");
                s[OutputSetting::AudioCodec].text = "mp2";
                return s;
            }() << ""
                                                    << "" << 0 << false;
    }
    void okChecksInOrder()
    {
        QFETCH(OutputSelection, selection);
        QFETCH(QString, caption);
        const auto refusal = checkOutputSelection(selection);
        if (caption.isEmpty()) {
            QVERIFY(!refusal);
            return;
        }
        QVERIFY(refusal);
        QCOMPARE(refusal->caption, caption);
        QTEST(refusal->text, "text");
        QTEST(int(refusal->field), "field");
        QTEST(refusal->limitAudioBitrate, "limit");
    }

    void startRefusesAnMp2BitrateThatIsNoInteger()
    {
        const auto refusal = checkSelectionForStart(with(OutputSetting::AudioBitrate, "12 8"));
        QVERIFY(refusal);
        QCOMPARE(refusal->caption, QString("Invalid Audio Bitrate"));
        QCOMPARE(refusal->text, QString("The Audio bitrate is invalid."));

        QVERIFY(!checkSelectionForStart(with(OutputSetting::AudioBitrate, "500")));
        OutputSelection mp3 = with(OutputSetting::AudioBitrate, "fast");
        mp3[OutputSetting::AudioCodec].text = "MP3";
        QVERIFY(!checkSelectionForStart(mp3));
    }
};

QTEST_GUILESS_MAIN(TestSelectionChecks)
#include "test_selection_checks.moc"

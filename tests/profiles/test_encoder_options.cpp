#include "profiles/CurrentProfile.h"
#include "profiles/EncoderOptions.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(OutputSelection)

namespace {

// The profile of the worked examples; only the values matter to the composition.
const char* const kProfile = R"([Video Codec]
value0=mpeg4
value1=copy
[Video Size]
value0=320:240
[Aspect]
value1=4:3
[Audio Codec]
value0=libmp3lame
value1=mp2
value2=pcm
value3=copy
value4=aac
[MP3 Encode]
value0=vbr
value1=abr
value2=VBR
[VBR Quality]
value0=4
[ABR CBR Bitrate]
value0=160
[Channels]
value0=2
)";

void choose(OutputSelection& selection, OutputSetting setting, int index, const QString& text)
{
    selection[setting] = {index, text};
}

// Video codec mpeg4 at 800, automatic aspect, MP3 vbr quality 4, 2 channels, 320:240, 44100.
OutputSelection firstExample()
{
    OutputSelection s;
    choose(s, OutputSetting::VideoCodec, 0, "MPEG-4");
    choose(s, OutputSetting::VideoBitrate, 0, "800");
    choose(s, OutputSetting::Aspect, 0, "Automatic");
    choose(s, OutputSetting::AudioCodec, 0, "MP3");
    choose(s, OutputSetting::Mp3Encode, 0, "VBR");
    choose(s, OutputSetting::VbrQuality, 0, "4");
    choose(s, OutputSetting::AbrCbrBitrate, 0, "160");
    choose(s, OutputSetting::AudioBitrate, 0, "192");
    choose(s, OutputSetting::Channels, 0, "Stereo");
    choose(s, OutputSetting::SampleRate, 0, "44100");
    choose(s, OutputSetting::VideoSize, 0, "320x240");
    return s;
}

OutputSelection withMp2(int audioBitrateIndex, const QString& audioBitrate)
{
    OutputSelection s = firstExample();
    choose(s, OutputSetting::AudioCodec, 1, "MP2");
    choose(s, OutputSetting::AudioBitrate, audioBitrateIndex, audioBitrate);
    return s;
}

// The profile at path (none when no file is there) with the selection made in it.
CurrentProfile chosen(const QString& path, const OutputSelection& selection)
{
    CurrentProfile profile;
    profile.load(path);
    profile.setSelection(selection);
    return profile;
}

const QString kVideo = " -ovc lavc -lavcopts vcodec=mpeg4:vbitrate=800:mbd=2:autoaspect";
const QString kTail = " -channels 2 -vf scale=320:240 -srate 44100";

} // namespace

class TestEncoderOptions : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_profile;

private slots:
    void initTestCase()
    {
        m_profile = m_dir.filePath("Example.bpf");
        QFile file(m_profile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kProfile);
    }

    void composesTheWholeOptionText_data()
    {
        QTest::addColumn<OutputSelection>("selection");
        QTest::addColumn<QString>("expected");

        QTest::newRow("mp3 vbr, list size")
            << firstExample() << kVideo + " -oac mp3lame -lameopts vbr=2:q=4" + kTail;
        {
            OutputSelection s = withMp2(0, "192");
            choose(s, OutputSetting::Aspect, 1, "4:3");
            s.selectSize = false;
            s.width = "720";
            s.height = "576";
            QTest::newRow("mp2 limited, 4:3, manual size")
                << s
                << " -ovc lavc -lavcopts vcodec=mpeg4:vbitrate=800:mbd=2:aspect=4:3 -oac lavc "
                   "-lavcopts acodec=mp2:abitrate=128 -channels 2 -vf scale=720:576 -srate 44100";
        }
        {
            OutputSelection s = firstExample();
            choose(s, OutputSetting::AudioCodec, 2, "PCM");
            QTest::newRow("pcm writes every blank") << s << kVideo + " -oac pcm  " + kTail;
        }
        {
            OutputSelection s = firstExample();
            choose(s, OutputSetting::Mp3Encode, 1, "ABR");
            QTest::newRow("mp3 abr") << s << kVideo + " -oac mp3lame -lameopts abr:br=160" + kTail;
        }
        {
            OutputSelection s = firstExample();
            choose(s, OutputSetting::Mp3Encode, 2, "VBR upper case");
            QTest::newRow("mode VBR is not vbr")
                << s << kVideo + " -oac mp3lame -lameopts VBR:br=160" + kTail;
        }
        {
            OutputSelection s = firstExample();
            choose(s, OutputSetting::Aspect, -1, "");
            QTest::newRow("no aspect selected is not automatic")
                << s
                << " -ovc lavc -lavcopts vcodec=mpeg4:vbitrate=800:mbd=2:aspect=16:9 -oac "
                   "mp3lame -lameopts vbr=2:q=4" +
                       kTail;
        }
        const QString mp2Head = kVideo + " -oac lavc -lavcopts acodec=mp2:abitrate=";
        QTest::newRow("mp2 128 stays") << withMp2(0, "128") << mp2Head + "128" + kTail;
        QTest::newRow("mp2 129 limited") << withMp2(0, "129") << mp2Head + "128" + kTail;
        QTest::newRow("mp2 96 stays") << withMp2(0, "96") << mp2Head + "96" + kTail;
        QTest::newRow("mp2 hex over the limit") << withMp2(0, "$100") << mp2Head + "128" + kTail;
        QTest::newRow("mp2 text kept as typed") << withMp2(0, " 96") << mp2Head + " 96" + kTail;
        QTest::newRow("mp2 non-integer not limited")
            << withMp2(0, "lots") << mp2Head + "lots" + kTail;
        {
            OutputSelection s = withMp2(0, "192");
            s[OutputSetting::AudioCodec].text = "mp2";
            QTest::newRow("lower-case mp2 not limited") << s << mp2Head + "192" + kTail;
        }
        {
            OutputSelection s = firstExample();
            s.selectSize = false;
            QTest::newRow("empty manual size")
                << s
                << kVideo + " -oac mp3lame -lameopts vbr=2:q=4 -channels 2 -vf scale=: -srate "
                            "44100";
        }
        {
            OutputSelection s = firstExample();
            choose(s, OutputSetting::VideoSize, 7, "no value7");
            QTest::newRow("size without value")
                << s
                << kVideo + " -oac mp3lame -lameopts vbr=2:q=4 -channels 2 -vf scale=640:480 "
                            "-srate 44100";
        }
        {
            OutputSelection s = firstExample();
            choose(s, OutputSetting::VideoCodec, 1, "Copy (no re-encoding)");
            choose(s, OutputSetting::AudioCodec, 3, "Copy (no re-encoding)");
            QTest::newRow("copy, sound copied") << s << " -ovc copy -oac copy";
            choose(s, OutputSetting::AudioCodec, 4, "AAC (re-encoded as one stream)");
            choose(s, OutputSetting::SampleRate, 3, "48000");
            QTest::newRow("copy, sound in AAC")
                << s
                << " -ovc copy -oac lavc -lavcopts acodec=aac:abitrate=192 -channels 2 -srate "
                   "48000";
        }
        {
            OutputSelection s = firstExample();
            choose(s, OutputSetting::AudioCodec, 3, "Copy (no re-encoding)");
            QTest::newRow("sound copy without a picture copy is an ordinary codec value")
                << s << kVideo + " -oac lavc -lavcopts acodec=copy:abitrate=192" + kTail;
        }
    }
    void composesTheWholeOptionText()
    {
        QFETCH(OutputSelection, selection);
        QFETCH(QString, expected);
        QCOMPARE(GetEncoderOptions(chosen(m_profile, selection)), expected);
    }

    void withoutProfileEveryValueTakesItsDefault()
    {
        QCOMPARE(GetEncoderOptions(chosen(m_dir.filePath("missing.bpf"), OutputSelection())),
                 QString(" -ovc lavc -lavcopts vcodec=mpeg4:vbitrate=:mbd=2:aspect=16:9 -oac lavc "
                         "-lavcopts acodec=ac3:abitrate= -channels 2 -vf scale=640:480 -srate "));
    }

    void mp3DefaultsWithoutValues()
    {
        OutputSelection s;
        s[OutputSetting::AudioCodec].text = "MP3";
        QVERIFY(GetEncoderOptions(chosen(m_dir.filePath("missing.bpf"), s))
                    .contains(" -oac mp3lame -lameopts vbr=2:q=6 "));
    }

    // Every value the option text takes must be the one number or word it stands for: the text
    // is split at blanks, and "-o file" in a caption would name a second output.
    void findsTheValueThatIsNotWhatItStandsFor_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<bool>("copy");
        QTest::addColumn<QString>("problem"); // section/key; empty: none

        QTest::newRow("sound values") << QByteArray() << QByteArray() << false << "";
        QTest::newRow("sample rate caption")
            << QByteArray("Caption0=44100") << QByteArray("Caption0=44100 -o /tmp/precious.mp4")
            << false << "Sample Rate/Caption0";
        QTest::newRow("channels value")
            << QByteArray("value0=2") << QByteArray("value0=2 -o x") << false << "Channels/value0";
        QTest::newRow("video codec value")
            << QByteArray("value0=mpeg4") << QByteArray("value0=mpeg4 -o x") << false
            << "Video Codec/value0";
        QTest::newRow("size value")
            << QByteArray("value0=320:240") << QByteArray("value0=320:240 -o x") << false
            << "Video Size/value0";
        QTest::newRow("output type")
            << QByteArray("Type=avi") << QByteArray("Type=avi -o x") << false << "Main/Type";
        QTest::newRow("unused sound value of a copy")
            << QByteArray("value0=2") << QByteArray("value0=2 -o x") << true << "";
    }
    void findsTheValueThatIsNotWhatItStandsFor()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(bool, copy);
        QFETCH(QString, problem);
        const QString path = m_dir.filePath("Checked.bpf");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QByteArray text = QByteArray(kProfile) +
                          "[Main]\nType=avi\n[Sample Rate]\nItems=1\nIndex=0\nCaption0=44100\n";
        file.write(from.isEmpty() ? text : text.replace(from, to));
        file.close();
        CurrentProfile profile;
        QVERIFY(profile.load(path));
        OutputSelection s = firstExample();
        s[OutputSetting::SampleRate] = profile.selection()[OutputSetting::SampleRate];
        if (copy) {
            choose(s, OutputSetting::VideoCodec, 1, "Copy");
            choose(s, OutputSetting::AudioCodec, 3, "Copy");
        }
        profile.setSelection(s);
        const std::optional<OptionValueProblem> found = checkOptionValues(profile);
        QCOMPARE(found ? found->section + "/" + found->key : QString(), problem);
    }

    void pictureSizeComesFromTheListOrTheFields()
    {
        OutputSelection s = firstExample();
        QCOMPARE(pictureSizeText(chosen(m_profile, s)), QString("320:240"));
        s[OutputSetting::VideoSize].index = -1;
        QCOMPARE(pictureSizeText(chosen(m_profile, s)), QString("640:480"));
        s.selectSize = false;
        s.width = " 720";
        s.height = "576x";
        QCOMPARE(pictureSizeText(chosen(m_profile, s)), QString(" 720:576x"));
    }
};

QTEST_GUILESS_MAIN(TestEncoderOptions)
#include "test_encoder_options.moc"

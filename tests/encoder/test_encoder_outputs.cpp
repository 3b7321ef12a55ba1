// The real encoder on real clips: what the conversion and join command lines write.
#include "EncoderClips.h"
#include "EncoderProgramRun.h"
#include "MediaFacts.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr double lengthTolerance = 0.1;

} // namespace

class EncoderOutputsTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_work;
    QMap<QString, QString> m_intermediates;

    QString workPath(const QString& name) const { return m_work.filePath(name); }

    // The intermediate the conversion stage makes of a clip, made once.
    QString intermediate(const QString& clip)
    {
        if (!m_intermediates.contains(clip)) {
            const QString path = workPath(clip + QStringLiteral(".avi"));
            const EncoderProgramRun run =
                convertToIntermediate(inputPath(clip), path, QStringLiteral("320:240"));
            if (run.exitCode != 0)
                qWarning() << run.errors;
            m_intermediates.insert(clip, path);
        }
        return m_intermediates.value(clip);
    }

    static EncoderProgramRun join(const QStringList& inputs, const QString& output,
                                  const QString& options)
    {
        return runEncoder(inputs + QStringList{QStringLiteral("-o"), output} +
                          optionWords(options));
    }

private slots:
    void initTestCase() { QVERIFY(m_work.isValid()); }

    void conversionWritesTheCommonShape_data()
    {
        QTest::addColumn<QString>("clip");
        QTest::addColumn<double>("length"); // seconds of picture in the clip
        for (const char* kind : {"avi", "mpg", "mpeg", "mp4", "wmv", "mov", "vob", "asf", "mkv",
                                 "webm", "flv", "m4v", "3gp", "ts", "m2ts"})
            QTest::newRow(kind) << QStringLiteral("clip.") + QLatin1String(kind) << 2.0;
        QTest::newRow("mono") << QStringLiteral("mono.avi") << 1.0;
        QTest::newRow("without audio") << QStringLiteral("noaudio.avi") << 1.0;
        QTest::newRow("rotated") << QStringLiteral("rotated.mp4") << 1.0;
        QTest::newRow("six channels, late sound") << QStringLiteral("late-sound.mov") << 1.0;
    }

    void conversionWritesTheCommonShape()
    {
        QFETCH(QString, clip);
        QFETCH(double, length);
        const QString output = intermediate(clip);
        const MediaFacts facts = readMediaFacts(output);
        QVERIFY2(facts.opened, qPrintable(output));
        QCOMPARE(facts.format, QStringLiteral("avi"));
        QCOMPARE(facts.video.codec, QStringLiteral("mpeg4"));
        QCOMPARE(facts.audio.codec, QStringLiteral("mp3"));
        QCOMPARE(facts.video.width, 320);
        QCOMPARE(facts.video.height, 240);
        QCOMPARE(facts.video.frameRate, 30.0);
        QCOMPARE(facts.audio.channels, 2);
        // The AVI files of the clip script start one frame late.
        QVERIFY2(std::abs(facts.video.duration - length) <= lengthTolerance + 0.04,
                 qPrintable(QString::number(facts.video.duration)));
        QVERIFY2(std::abs(facts.audioMinusVideo()) < lengthTolerance,
                 qPrintable(QString::number(facts.audioMinusVideo())));
    }

    void joinWritesEveryOutputType_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("videoCodec");
        QTest::addColumn<QString>("audioCodec");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("sampleRate");

        const QString mov = QStringLiteral("mov,mp4,m4a,3gp,3g2,mj2");
        QTest::newRow("AVI") << "avi"
                             << " -ovc lavc -lavcopts vcodec=mpeg4:vbitrate=1200:mbd=2:autoaspect "
                                "-oac mp3lame -lameopts vbr=2:q=4 -channels 2 -vf scale=320:240 "
                                "-srate 44100"
                             << "avi"
                             << "mpeg4"
                             << "mp3" << 320 << 240 << 44100;
        QTest::newRow("MPG")
            << "mpg"
            << " -ovc lavc -lavcopts vcodec=mpeg1video:vbitrate=1150:mbd=2:aspect=4:3 "
               "-oac lavc -lavcopts acodec=mp2:abitrate=128 -channels 2 "
               "-vf scale=352:240 -srate 44100"
            << "mpeg"
            << "mpeg1video"
            << "mp2" << 352 << 240 << 44100;
        QTest::newRow("MP4")
            << "mp4"
            << " -ovc lavc -lavcopts vcodec=libx264:vbitrate=2000:mbd=2:aspect=16:9 "
               "-oac lavc -lavcopts acodec=aac:abitrate=160 -channels 2 "
               "-vf scale=320:180 -srate 48000"
            << mov << "h264"
            << "aac" << 320 << 180 << 48000;
        QTest::newRow("MOV")
            << "mov"
            << " -ovc lavc -lavcopts vcodec=libx264:vbitrate=1500:mbd=2:autoaspect "
               "-oac lavc -lavcopts acodec=aac:abitrate=128 -channels 2 "
               "-vf scale=320:240 -srate 44100"
            << mov << "h264"
            << "aac" << 320 << 240 << 44100;
        QTest::newRow("WMV") << "wmv"
                             << " -ovc lavc -lavcopts vcodec=wmv2:vbitrate=1000:mbd=2:autoaspect "
                                "-oac lavc -lavcopts acodec=wmav2:abitrate=128 -channels 2 "
                                "-vf scale=320:240 -srate 44100"
                             << "asf"
                             << "wmv2"
                             << "wmav2" << 320 << 240 << 44100;
        QTest::newRow("ASF") << "asf"
                             << " -ovc lavc -lavcopts vcodec=msmpeg4:vbitrate=800:mbd=2:autoaspect "
                                "-oac lavc -lavcopts acodec=wmav2:abitrate=96 -channels 2 "
                                "-vf scale=320:240 -srate 22050"
                             << "asf"
                             << "msmpeg4v3"
                             << "wmav2" << 320 << 240 << 22050;
        QTest::newRow("VOB")
            << "vob"
            << " -ovc lavc -lavcopts vcodec=mpeg2video:vbitrate=5000:mbd=2:aspect=4:3 "
               "-oac lavc -lavcopts acodec=ac3:abitrate=192 -channels 2 "
               "-vf scale=720:480 -srate 48000"
            << "mpeg"
            << "mpeg2video"
            << "ac3" << 720 << 480 << 48000;
        QTest::newRow("FLV") << "flv"
                             << " -ovc lavc -lavcopts vcodec=flv:vbitrate=800:mbd=2:autoaspect "
                                "-oac mp3lame -lameopts abr:br=128 -channels 2 "
                                "-vf scale=320:240 -srate 44100"
                             << "flv"
                             << "flv1"
                             << "mp3" << 320 << 240 << 44100;
        QTest::newRow("MKV")
            << "mkv"
            << " -ovc lavc -lavcopts vcodec=libx264:vbitrate=2000:mbd=2:autoaspect "
               "-oac lavc -lavcopts acodec=aac:abitrate=160 -channels 2 "
               "-vf scale=320:240 -srate 48000"
            << "matroska,webm"
            << "h264"
            << "aac" << 320 << 240 << 48000;
    }

    void joinWritesEveryOutputType()
    {
        QFETCH(QString, extension);
        QFETCH(QString, options);
        QFETCH(QString, format);
        QFETCH(QString, videoCodec);
        QFETCH(QString, audioCodec);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, sampleRate);

        // 2 s at 15 fps and 22050 Hz, 1 s mono, 1 s without sound.
        const QStringList inputs{intermediate(QStringLiteral("clip.wmv")),
                                 intermediate(QStringLiteral("mono.avi")),
                                 intermediate(QStringLiteral("noaudio.avi"))};
        const QString output = workPath(QStringLiteral("joined.") + extension);
        const EncoderProgramRun run = join(inputs, output, options);
        QVERIFY2(run.exitCode == 0, run.errors.constData());

        const MediaFacts facts = readMediaFacts(output);
        QVERIFY(facts.opened);
        QCOMPARE(facts.format, format);
        QCOMPARE(facts.video.codec, videoCodec);
        QCOMPARE(facts.audio.codec, audioCodec);
        QCOMPARE(facts.video.width, width);
        QCOMPARE(facts.video.height, height);
        QCOMPARE(qRound(facts.video.frameRate), 30);
        QCOMPARE(facts.audio.sampleRate, sampleRate);
        QCOMPARE(facts.audio.channels, 2);
        QVERIFY2(std::abs(facts.video.duration - 4.0) < lengthTolerance,
                 qPrintable(QString::number(facts.video.duration)));
        QVERIFY2(std::abs(facts.audioMinusVideo()) < lengthTolerance,
                 qPrintable(QString::number(facts.audioMinusVideo())));
    }

    // FFmpeg's reader gives an AC-3 frame whose header is cut by the start of a new pack the time
    // of the frame after it, so that two frames show one time; here a pack starts so 5 s in.
    void vobSoundShowsEveryTimeOnce()
    {
        const QString output = workPath(QStringLiteral("dvd.vob"));
        const EncoderProgramRun run =
            join({encoderClipPath(QStringLiteral("long.avi"))}, output,
                 QStringLiteral(" -ovc lavc -lavcopts vcodec=mpeg2video:vbitrate=5000:mbd=2 "
                                "-oac lavc -lavcopts acodec=ac3:abitrate=192 -channels 2 "
                                "-vf scale=352:240 -srate 48000"));
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        const MediaFacts facts = readMediaFacts(output);
        QCOMPARE(facts.audio.repeatedTimes, 0);
        QVERIFY(std::abs(facts.video.duration - 8.0) < lengthTolerance);
        QVERIFY(std::abs(facts.audioMinusVideo()) < lengthTolerance);
    }

    // Every input kind and the odd ones, as the program runs a job: conversions, then one join.
    void wholeJobOfEveryInputKind()
    {
        const QStringList clips{"clip.avi",      "clip.mpg",    "clip.mpeg",   "clip.mp4",
                                "clip.wmv",      "clip.mov",    "clip.vob",    "clip.asf",
                                "mono.avi",      "noaudio.avi", "rotated.mp4", "damaged.avi",
                                "late-sound.mov"};
        QStringList inputs;
        double expected = 0.0;
        for (const QString& clip : clips) {
            inputs << intermediate(clip);
            expected += readMediaFacts(inputs.last()).video.duration;
        }
        const QString output = workPath(QStringLiteral("every kind.avi"));
        const EncoderProgramRun run =
            join(inputs, output,
                 QStringLiteral(" -ovc lavc -lavcopts vcodec=mpeg4:vbitrate=1200:mbd=2:autoaspect "
                                "-oac mp3lame -lameopts vbr=2:q=4 -channels 2 -vf scale=640:480 "
                                "-srate 44100"));
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        const MediaFacts facts = readMediaFacts(output);
        QCOMPARE(facts.video.width, 640);
        QVERIFY2(std::abs(facts.video.duration - expected) < lengthTolerance,
                 qPrintable(QStringLiteral("%1 of %2").arg(facts.video.duration).arg(expected)));
        QVERIFY2(std::abs(facts.audioMinusVideo()) < lengthTolerance,
                 qPrintable(QString::number(facts.audioMinusVideo())));
    }

    // Each clip beeps 0.1 s into its sound; in the joined file every beep must sound as far
    // from where the clip's picture begins as it does in the clip, however long or short the
    // clips' sound was.
    void soundStaysInStepAtEveryBoundary_data()
    {
        QTest::addColumn<bool>("throughConversion");
        QTest::newRow("joined directly") << false;
        QTest::newRow("converted, then joined") << true;
    }

    void soundStaysInStepAtEveryBoundary()
    {
        QFETCH(bool, throughConversion);
        const QStringList clips{"long-sound.avi", "short-sound.mp4", "late-sound.mov", "silent.wmv",
                                "short-sound.mp4"};
        const QString options =
            QStringLiteral(" -ovc lavc -oac mp3lame -ofps 30 -vf scale=320:240 -srate 44100");
        QStringList inputs;
        QList<double> expected;
        double boundary = 0.0;
        for (const auto& clip : clips) {
            const QString input = throughConversion ? intermediate(clip) : inputPath(clip);
            inputs << input;
            // What this input alone becomes gives its length in output frames.
            const QString alone = workPath(QStringLiteral("alone.avi"));
            QCOMPARE(join({input}, alone, options).exitCode, 0);
            const QList<double> beep = soundOnsets(input, 0.1);
            if (!beep.isEmpty())
                expected << boundary + beep.first();
            boundary += readMediaFacts(alone).video.duration;
        }
        const QString output = workPath(QStringLiteral("in step.avi"));
        const EncoderProgramRun run = join(inputs, output, options);
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        const MediaFacts facts = readMediaFacts(output);
        QVERIFY(std::abs(facts.video.duration - boundary) < 0.001);
        QVERIFY(std::abs(facts.audioMinusVideo()) < lengthTolerance);

        QList<double> onsets = soundOnsets(output, 0.1);
        QCOMPARE(onsets.size(), expected.size());
        for (int i = 0; i < expected.size(); ++i)
            QVERIFY2(std::abs(onsets[i] - expected[i]) < 0.02,
                     qPrintable(QStringLiteral("beep %1 at %2, expected %3")
                                    .arg(i + 1)
                                    .arg(onsets[i])
                                    .arg(expected[i])));
    }

    // Each picture of numbered.mp4 shows its number; its sound beeps every half second from
    // 0.1 s on. A part begins on the first picture from its start on and ends before its end,
    // its sound cut at the same instants, converted on its own, joined in one pass, or copied.
    void partsStartAndEndOnTheirPictures_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("converted, then joined") << "converted";
        QTest::newRow("joined in one pass") << "one pass";
        QTest::newRow("copied") << "copied";
    }

    void partsStartAndEndOnTheirPictures()
    {
        QFETCH(QString, way);
        const bool throughConversion = way == QLatin1String("converted");
        const QString clip = encoderClipPath(QStringLiteral("numbered.mp4"));
        const QList<JobClip> parts{{.path = clip, .inPoint = 2.2, .outPoint = 2.8},
                                   {.path = clip, .inPoint = 0.37, .outPoint = 1.4}};
        // Pictures 55 to 69, after a seek; then 10 (at 0.40 s) to 34, 10 shown from 0.37 s on.
        QList<int> expected{10};
        for (int number = 10; number < 35; ++number)
            expected << number;
        for (int number = 69; number >= 55; --number)
            expected.prepend(number);
        const PictureRules rules{QStringLiteral("160:120"), false, QStringLiteral("25")};
        const QString options = way == QLatin1String("copied")
                                    ? QStringLiteral(" -ovc copy -oac copy")
                                    : QStringLiteral(" -ovc lavc -oac mp3lame -srate 44100");
        const QString output = workPath(QStringLiteral("parts.mkv"));
        // A run that reads the parts counts their length, not the clip's, in its share done.
        QList<EncoderCommand> reading;
        QList<JobClip> intermediates;
        for (int i = 0; throughConversion && i < parts.size(); ++i) {
            intermediates << JobClip{workPath(QString::number(i) + QStringLiteral(".avi"))};
            reading << conversionCommand(parts[i], intermediates[i].path, rules);
        }
        if (way == QLatin1String("one pass"))
            reading << onePassJoinCommand(parts, output, options, rules);
        if (way == QLatin1String("copied"))
            reading << joinCommand(parts, output, options);
        for (const EncoderCommand& command : reading) {
            const EncoderProgramRun run = runEncoder(command.arguments);
            QVERIFY2(run.exitCode == 0 && run.output.contains("(100%)"), run.errors.constData());
        }
        if (throughConversion)
            QCOMPARE(runEncoder(joinCommand(intermediates, output, options).arguments).exitCode, 0);

        const QByteArrayList numbered = greyPictures(clip);
        QList<int> shown;
        for (const QByteArray& picture : greyPictures(output))
            shown << likestPicture(picture, numbered);
        QCOMPARE(shown, expected);
        const double audioFrame = 1152 / 44100.0;
        QVERIFY(std::abs(readMediaFacts(output).audioMinusVideo()) <= audioFrame);
        const QList<double> beeps = soundOnsets(output, 0.2), beepsExpected{0.4, 0.83, 1.33};
        QCOMPARE(beeps.size(), beepsExpected.size());
        for (int i = 0; i < beeps.size(); ++i)
            QVERIFY2(std::abs(beeps[i] - beepsExpected[i]) <= audioFrame,
                     qPrintable(QString::number(beeps[i])));
        QCOMPARE(chaptersOf(output).value(1).start, 0.6);
    }

    // paused.mp4 shows its third picture from 0.4 s to 12.6 s: a part within opens with it.
    void partInsideAHeldPictureShowsIt()
    {
        const QString clip = encoderClipPath(QStringLiteral("paused.mp4"));
        const QString output = workPath(QStringLiteral("held.avi"));
        const JobClip part{.path = clip, .inPoint = 1.5, .outPoint = 3};
        const EncoderProgramRun run =
            runEncoder(conversionCommand(part, output, PictureRules{"160:120"}).arguments);
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        const QByteArrayList pictures = greyPictures(clip), shown = greyPictures(output);
        QCOMPARE(shown.size(), 45); // 1.5 s at 30 fps
        for (const QByteArray& picture : shown)
            QCOMPARE(likestPicture(picture, pictures), 2);
    }

    void rotatedClipComesOutUpright_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("own size") << QString() << 240 << 320;
        QTest::newRow("scaled") << QStringLiteral("-vf scale=320:240") << 320 << 240;
    }

    void rotatedClipComesOutUpright()
    {
        QFETCH(QString, options);
        QFETCH(int, width);
        QFETCH(int, height);
        const QString output = workPath(QStringLiteral("upright.mp4"));
        const EncoderProgramRun run =
            join({encoderClipPath(QStringLiteral("rotated.mp4"))}, output,
                 QStringLiteral("-ovc lavc -lavcopts vcodec=libx264 -oac lavc "
                                "-lavcopts acodec=aac ") +
                     options);
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        const MediaFacts facts = readMediaFacts(output);
        QCOMPARE(facts.video.width, width);
        QCOMPARE(facts.video.height, height);
        QVERIFY(!facts.rotated);
        // Stored with its white half on the left, the clip is shown with it on top.
        QVERIFY(lumaAt(output, 0.5, 0.1) > 200);
        QVERIFY(lumaAt(output, 0.5, 0.9) < 60);
    }

    // The conversion with the shape kept, into a 16:9 box: each picture at its own display shape,
    // black bars where it does not reach.
    void conversionKeepsEachShape_data()
    {
        QTest::addColumn<QString>("clip");
        QTest::addColumn<QRect>("picture");
        // Upright 240x320 with its white half on top: 136x180, the lower half black.
        QTest::newRow("portrait phone clip, turned") << "rotated.mp4" << QRect(92, 0, 136, 90);
        QTest::newRow("4:3") << "white-4x3.avi" << QRect(40, 0, 240, 180);
        QTest::newRow("16:9") << "white-16x9.avi" << QRect(0, 0, 320, 180);
    }

    void conversionKeepsEachShape()
    {
        QFETCH(QString, clip);
        QFETCH(QRect, picture);
        const QString output = workPath(clip + QStringLiteral(".shaped.avi"));
        const EncoderProgramRun run = runEncoder(
            conversionCommand({encoderClipPath(clip)}, output, PictureRules{"320:180", true})
                .arguments);
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        const MediaFacts facts = readMediaFacts(output);
        QCOMPARE(facts.video.width, 320);
        QCOMPARE(facts.video.height, 180);
        // The edges of a compressed picture blur by a pixel or two.
        const QRect bright = brightArea(output);
        const auto near = [](int a, int b) { return std::abs(a - b) <= 2; };
        QVERIFY2(near(bright.left(), picture.left()) && near(bright.right(), picture.right()) &&
                     near(bright.top(), picture.top()) && near(bright.bottom(), picture.bottom()),
                 qPrintable(QStringLiteral("bright %1,%2 %3x%4")
                                .arg(bright.x())
                                .arg(bright.y())
                                .arg(bright.width())
                                .arg(bright.height())));
    }

    // A 25 fps clip kept at 25 fps, asked for or as the first input's own rate, shows each of
    // its pictures once: none is repeated, which a filter that drops repeats would find.
    void ownRateRepeatsNoPicture_data()
    {
        QTest::addColumn<QString>("rate");
        QTest::newRow("25 asked") << "25";
        QTest::newRow("the first video's") << "First";
    }

    void ownRateRepeatsNoPicture()
    {
        QFETCH(QString, rate);
        const QString output = workPath(QStringLiteral("rate-%1.mp4").arg(rate));
        const EncoderProgramRun run = join(
            {encoderClipPath(QStringLiteral("changing-25p.avi")),
             encoderClipPath(QStringLiteral("changing-25p.avi"))},
            output,
            QStringLiteral("-ovc lavc -lavcopts vcodec=libx264 -oac lavc -lavcopts acodec=aac") +
                frameRateOption(rate));
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        QCOMPARE(readMediaFacts(output).video.frameRate, 25.0);
        const auto pictures = [&output](const QString& filters) {
            return int(toolOutput(QStringLiteral("ffmpeg"),
                                  {"-v", "error", "-i", output, "-vf", filters + "null",
                                   "-fps_mode", "passthrough", "-f", "framemd5", "-"})
                           .count("\n0,"));
        };
        QCOMPARE(pictures(QString()), 50);
        QCOMPARE(pictures(QStringLiteral("mpdecimate,")), 50);
    }

    // Damaged packets are passed over, a clock that starts again carries on, a long-held picture
    // keeps its time: the length stays, sound and picture together.
    void brokenInputsKeepTheirLength_data()
    {
        QTest::addColumn<QString>("clip");
        QTest::addColumn<double>("length");
        QTest::newRow("damaged AVI") << QStringLiteral("damaged.avi") << 2.0;
        QTest::newRow("damaged MPEG") << QStringLiteral("damaged.mpg") << 2.0;
        QTest::newRow("clock starting again") << QStringLiteral("restarted.vob") << 2.0;
        QTest::newRow("picture held for 12 s") << QStringLiteral("paused.mp4") << 13.0;
        // One frame's time damaged: it goes on from the frame before.
        QTest::newRow("one time beyond the length") << QStringLiteral("time-far-ahead.wmv") << 4.0;
        QTest::newRow("times beyond the length from one frame on")
            << QStringLiteral("time-far-ahead-on.wmv") << 4.0;
        QTest::newRow("one time ahead, the next back") << QStringLiteral("time-ahead.wmv") << 4.0;
        QTest::newRow("one time back, the next ahead") << QStringLiteral("time-back.wmv") << 4.0;
    }

    void brokenInputsKeepTheirLength()
    {
        QFETCH(QString, clip);
        QFETCH(double, length);
        const QString output = workPath(QStringLiteral("repaired.avi"));
        const EncoderProgramRun run =
            convertToIntermediate(encoderClipPath(clip), output, QStringLiteral("160:120"));
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        const MediaFacts facts = readMediaFacts(output);
        QVERIFY2(std::abs(facts.video.duration - length) < 0.2,
                 qPrintable(QString::number(facts.video.duration)));
        QVERIFY(std::abs(facts.audioMinusVideo()) < lengthTolerance);
    }

    // The quantiser reaches the picture's encoder: the coarsest one writes a much smaller picture.
    void quantiserSetsThePictureQuality()
    {
        static const QRegularExpression videoSize(
            QStringLiteral("Video stream:.*size: (\\d+) bytes"));
        qint64 sizes[2] = {};
        for (const int quantiser : {2, 31}) {
            const EncoderProgramRun run =
                join({clipPath(QStringLiteral("clip.mp4"))},
                     workPath(QStringLiteral("q%1.avi").arg(quantiser)),
                     QStringLiteral("-ovc lavc -oac mp3lame -lavcopts vqscale=") +
                         QString::number(quantiser));
            QVERIFY2(run.exitCode == 0, run.errors.constData());
            const auto match = videoSize.match(QString::fromUtf8(run.output));
            QVERIFY2(match.hasMatch(), run.output.constData());
            sizes[quantiser == 31] = match.captured(1).toLongLong();
        }
        QVERIFY2(sizes[1] < sizes[0] / 2,
                 qPrintable(QStringLiteral("%1 %2").arg(sizes[0]).arg(sizes[1])));
    }

    // Without -ofps, -vf scale and -srate the first input sets the shape; -channels defaults
    // to two.
    void defaultsFollowTheFirstInput()
    {
        const QString output = workPath(QStringLiteral("defaults.avi"));
        const EncoderProgramRun run =
            join({clipPath(QStringLiteral("clip.wmv")), clipPath(QStringLiteral("mono.avi"))},
                 output, QStringLiteral("-ovc lavc -oac mp3lame"));
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        const MediaFacts facts = readMediaFacts(output);
        QCOMPARE(facts.video.width, 320);
        QCOMPARE(facts.video.height, 240);
        QCOMPARE(facts.video.frameRate, 15.0);
        QCOMPARE(facts.audio.sampleRate, 22050);
        QCOMPARE(facts.audio.channels, 2);
        QVERIFY(std::abs(facts.video.duration - 3.0) < lengthTolerance);

        const EncoderProgramRun mono = join({clipPath(QStringLiteral("clip.avi"))}, output,
                                            QStringLiteral("-ovc lavc -oac mp3lame -channels 1"));
        QCOMPARE(mono.exitCode, 0);
        QCOMPARE(readMediaFacts(output).audio.channels, 1);
    }

    // A file alone in braces is read as its bare name is.
    void fileInBracesIsReadAsItsName()
    {
        const QString first = clipPath(QStringLiteral("clip.wmv"));
        const QString second = clipPath(QStringLiteral("mono.avi"));
        const QString options = QStringLiteral("-ovc lavc -oac mp3lame");
        QList<MediaFacts> joins;
        for (const QStringList& inputs :
             {QStringList{first, second}, QStringList{"{", first, "}", "{", second, "}"}}) {
            const QString output = workPath(QStringLiteral("braces%1.avi").arg(joins.size()));
            const EncoderProgramRun run = join(inputs, output, options);
            QVERIFY2(run.exitCode == 0, run.errors.constData());
            joins << readMediaFacts(output);
        }
        QCOMPARE(joins[1].video.packets, joins[0].video.packets);
        QCOMPARE(joins[1].audio.packets, joins[0].audio.packets);
        QCOMPARE(joins[1].video.duration, joins[0].video.duration);
    }

    // Names are files, never protocol URLs, and "--" lets a name begin with "-".
    void namesThatLookLikeUrlsOrOptionsAreFiles()
    {
        const QDir folder(workPath(QStringLiteral("names")));
        QVERIFY(QDir().mkpath(folder.path()));
        for (const auto& [clip, name] :
             {std::pair{"clip.asf", "file:2.asf"}, std::pair{"clip.wmv", "clip:1.asf"},
              std::pair{"clip.avi", "-name.avi"}})
            QVERIFY(
                QFile::copy(clipPath(QLatin1String(clip)), folder.filePath(QLatin1String(name))));
        QProcess process;
        process.setWorkingDirectory(folder.path());
        process.start(encoderProgram(), {QStringLiteral("file:2.asf"), QStringLiteral("clip:1.asf"),
                                         QStringLiteral("-o"), QStringLiteral("file:joined.avi"),
                                         QStringLiteral("-ovc"), QStringLiteral("lavc"),
                                         QStringLiteral("-oac"), QStringLiteral("mp3lame"),
                                         QStringLiteral("--"), QStringLiteral("-name.avi")});
        QVERIFY(process.waitForFinished(60000));
        QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
        QVERIFY(!folder.exists(QStringLiteral("joined.avi")));
        const MediaFacts facts = readMediaFacts(folder.filePath(QStringLiteral("file:joined.avi")));
        QVERIFY(std::abs(facts.video.duration - 6.0) < lengthTolerance);
    }

    void pathsWithBlanksQuotesAndNonAsciiLetters()
    {
        const QString folder = workPath(QStringLiteral("a \"quoted\" 'dir' with blanks ÄÖÜ ß"));
        QVERIFY(QDir().mkpath(folder));
        const QString input = QDir(folder).filePath(QStringLiteral("my \"clip\" é.avi"));
        QVERIFY(QFile::copy(clipPath(QStringLiteral("clip.avi")), input));
        const QString converted = QDir(folder).filePath(QStringLiteral("0 ñ.avi"));
        QCOMPARE(convertToIntermediate(input, converted, QStringLiteral("320:240")).exitCode, 0);
        const QString output = QDir(folder).filePath(QStringLiteral("film 'final' – ü.mp4"));
        const EncoderProgramRun run =
            join({converted, converted}, output,
                 QStringLiteral(" -ovc lavc -lavcopts vcodec=libx264:vbitrate=800 -oac lavc "
                                "-lavcopts acodec=aac -vf scale=320:240"));
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        const MediaFacts facts = readMediaFacts(output);
        QCOMPARE(facts.video.codec, QStringLiteral("h264"));
        QVERIFY(std::abs(facts.video.duration - 4.0) < 0.2);
    }
};

QTEST_GUILESS_MAIN(EncoderOutputsTest)
#include "test_encoder_outputs.moc"

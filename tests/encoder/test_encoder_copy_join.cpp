// The real encoder joining clips by copying their pictures, and what every join marks in its
// output: a chapter at each part's start, a line on each join point's A/V offset.
#include "EncoderClips.h"
#include "EncoderContract.h"
#include "EncoderProgramRun.h"
#include "MediaFacts.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr double lengthTolerance = 0.05;

const QString copyBoth = QStringLiteral("-ovc copy -oac copy");
const QString copyPictureEncodeSound = QStringLiteral(
    "-ovc copy -oac lavc -lavcopts acodec=aac:abitrate=128 -channels 2 -srate 48000");
const QString reencode = QStringLiteral(
    "-ovc lavc -lavcopts vcodec=libx264:vbitrate=800 -oac lavc -lavcopts acodec=aac -ofps 30");

struct JoinLine
{
    int part = 0;
    double start = 0.0;
    double offset = 0.0;
};

QList<JoinLine> joinLines(const QByteArray& output)
{
    static const QRegularExpression line(
        QStringLiteral("^Join (\\d+) at (\\d+\\.\\d{3})s: A/V offset ([+-]\\d+\\.\\d{3})s$"),
        QRegularExpression::MultilineOption);
    QList<JoinLine> lines;
    auto matches = line.globalMatch(QString::fromUtf8(output));
    while (matches.hasNext()) {
        const auto match = matches.next();
        lines << JoinLine{match.captured(1).toInt(), match.captured(2).toDouble(),
                          match.captured(3).toDouble()};
    }
    return lines;
}

// "{copy-a.mp4}" in an argument stands for that clip, "{out}" for the output path.
QStringList expand(const QStringList& words, const QString& output)
{
    QStringList arguments;
    for (QString word : words) {
        if (word == QLatin1String("{out}"))
            word = output;
        else if (word.startsWith(QLatin1Char('{')) && word.endsWith(QLatin1Char('}')))
            word = encoderClipPath(word.mid(1, word.size() - 2));
        arguments << word;
    }
    return arguments;
}

} // namespace

class EncoderCopyJoinTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_work;

private slots:
    void initTestCase() { QVERIFY(m_work.isValid()); }

    // Every part's pictures come out as they went in, one part after the other; the sound keeps
    // to the picture; a chapter and a join line mark where each part begins.
    void joinMarksEveryPartAndKeepsItsPictures_data()
    {
        QTest::addColumn<QStringList>("clips");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("options");
        QTest::addColumn<bool>("throughConversion");
        QTest::addColumn<QString>("pictures"); // "stored", "decoded" or "" when re-encoded

        const QStringList matching{"copy-a.mp4", "copy-b.mp4", "copy-a.mp4"};
        QTest::newRow("copied into MP4") << matching << "mp4" << copyBoth << false << "stored";
        QTest::newRow("copied into MKV, sound encoded")
            << matching << "mkv" << copyPictureEncodeSound << false << "stored";
        // Its own parameter sets, carried in band, and a longer picture reordering.
        QTest::newRow("copied into MOV, other parameter sets")
            << QStringList{"copy-a.mp4", "copy-high.mp4", "copy-a.mp4"} << "mov" << copyBoth
            << false << "decoded";
        QTest::newRow("copied from MKV into MP4")
            << QStringList{"copy-a.mkv", "copy-b.mkv", "copy-a.mkv"} << "mp4" << copyBoth << false
            << "stored";
        QTest::newRow("copied into MKV") << QStringList{"copy-a.mkv", "copy-b.mkv", "copy-a.mkv"}
                                         << "mkv" << copyBoth << false << "stored";
        QTest::newRow("re-encoded into MP4") << matching << "mp4" << reencode << false << "";
        // The intermediates keep their clips' names for the chapters.
        QTest::newRow("re-encoded into MKV from intermediates")
            << matching << "mkv" << reencode << true << "";
        // Matroska stores no decoding times: a copy takes them from the pictures' order.
        const QStringList reordered{"copy-bframes-a.mkv", "copy-bframes-b.mkv",
                                    "copy-bframes-a.mkv"};
        QTest::newRow("B-frames copied from MKV into MP4")
            << reordered << "mp4" << copyBoth << false << "stored";
        QTest::newRow("B-frames copied from MKV into MKV, sound encoded")
            << reordered << "mkv" << copyPictureEncodeSound << false << "stored";
    }

    void joinMarksEveryPartAndKeepsItsPictures()
    {
        QFETCH(QStringList, clips);
        QFETCH(QString, extension);
        QFETCH(QString, options);
        QFETCH(bool, throughConversion);
        QFETCH(QString, pictures);

        QStringList inputs;
        QList<double> starts;
        double length = 0.0;
        QByteArrayList partSums;
        for (const QString& clip : clips) {
            QString input = encoderClipPath(clip);
            if (throughConversion) {
                const QString intermediate =
                    m_work.filePath(QStringLiteral("%1.avi").arg(inputs.size()));
                QCOMPARE(
                    convertToIntermediate(input, intermediate, QStringLiteral("160:120")).exitCode,
                    0);
                input = intermediate;
            }
            inputs << input;
            starts << length;
            length += readMediaFacts(input).video.duration;
            if (!pictures.isEmpty())
                partSums << pictureSums(input, pictures == QLatin1String("decoded"));
        }
        const QString output = m_work.filePath(QStringLiteral("joined.") + extension);
        const EncoderProgramRun run =
            runEncoder(inputs + QStringList{QStringLiteral("-o"), output} + optionWords(options));
        QVERIFY2(run.exitCode == 0, run.errors.constData());

        if (!pictures.isEmpty())
            QVERIFY(pictureSums(output, pictures == QLatin1String("decoded")) == partSums);
        // Parameter sets in band need a sample entry that lets them come there.
        if (pictures == QLatin1String("decoded"))
            QCOMPARE(probedEntries(output, "v:0", "stream=codec_tag_string"),
                     QByteArrayList{"avc3"});
        const MediaFacts facts = readMediaFacts(output);
        QVERIFY(facts.video.playedByDefault && facts.audio.playedByDefault);
        QVERIFY2(std::abs(facts.video.duration - length) < lengthTolerance,
                 qPrintable(QStringLiteral("%1 of %2").arg(facts.video.duration).arg(length)));
        QVERIFY2(std::abs(facts.audioMinusVideo()) < lengthTolerance,
                 qPrintable(QString::number(facts.audioMinusVideo())));
        // Each AAC packet holds 1024 samples and lasts as long as they do, as a player plays them
        // one after the other, but for a few; copied, only the file's last may be shorter: a
        // part's last cut short would put the next part's sound ahead. (Matroska keeps
        // milliseconds only.)
        if (extension != QLatin1String("mkv")) {
            const double frame = 1024.0 / facts.audio.sampleRate;
            int otherLengths = 0;
            for (const QByteArray& line : probedEntries(output, "a", "packet=duration_time"))
                if (std::abs(line.toDouble() - frame) * facts.audio.sampleRate > 1)
                    ++otherLengths;
            QVERIFY2(otherLengths <= (options == copyBoth ? 1 : clips.size()),
                     qPrintable(QString::number(otherLengths)));
        }
        const QList<ChapterMark> chapters = chaptersOf(output);
        // Copied AAC packets follow one another from their part's first, each at its own sample
        // count, within the millisecond that Matroska keeps.
        if (options == copyBoth) {
            const double frame = 1024.0 / facts.audio.sampleRate;
            QList<double> partSoundStarts;
            double worst = 0.0;
            for (const QByteArray& line : probedEntries(output, "a", "packet=pts_time")) {
                const double time = line.toDouble();
                if (partSoundStarts.size() < chapters.size() &&
                    time >= chapters[partSoundStarts.size()].start - frame / 2)
                    partSoundStarts << time;
                const double since = time - partSoundStarts.value(partSoundStarts.size() - 1);
                worst = std::max(worst, std::abs(since - std::round(since / frame) * frame));
            }
            QVERIFY2(worst < 0.001, qPrintable(QString::number(worst)));
        }

        QCOMPARE(chapters.size(), clips.size());
        // Readers such as mkvinfo look for Matroska's chapters in its header, before the pictures.
        if (extension == QLatin1String("mkv")) {
            QFile file(output);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const qsizetype chapterAt = file.readAll().indexOf(chapters.last().title.toUtf8());
            const QByteArray firstPacketAt =
                probedEntries(output, {}, "packet=pos", {"-read_intervals", "%+#1"}).value(0);
            QVERIFY2(chapterAt >= 0 && chapterAt < firstPacketAt.toLongLong(),
                     qPrintable(QString::number(chapterAt)));
        }
        const QList<JoinLine> joins = joinLines(run.output);
        QCOMPARE(joins.size(), clips.size() - 1);
        for (int i = 0; i < clips.size(); ++i) {
            QVERIFY2(std::abs(chapters[i].start - starts[i]) < 0.01,
                     qPrintable(QStringLiteral("chapter %1 at %2, part at %3")
                                    .arg(i + 1)
                                    .arg(chapters[i].start)
                                    .arg(starts[i])));
            QCOMPARE(chapters[i].title, clips[i].startsWith(QLatin1String("copy-b."))
                                            ? QStringLiteral("Second clip")
                                            : QString(clips[i]).chopped(4));
            if (i == 0)
                continue;
            QCOMPARE(joins[i - 1].part, i + 1);
            QVERIFY(std::abs(joins[i - 1].start - starts[i]) < 0.01);
            QVERIFY2(std::abs(joins[i - 1].offset) < lengthTolerance,
                     qPrintable(QString::number(joins[i - 1].offset)));
        }
    }

    // Each part's sound keeps to its picture, as a player counts its samples, where the two begin
    // apart in the clip: sound that starts after the picture, which MP4 plays at once unless the
    // gap is filled. Every clip beeps 0.23 s after its picture begins.
    void everyPartsSoundKeepsToItsPicture_data()
    {
        QTest::addColumn<QStringList>("clips");
        QTest::addColumn<QString>("options");

        const QStringList late{"copy-late-sound.mp4", "copy-late-sound.mp4", "copy-late-sound.mp4"};
        QTest::newRow("sound starting late, copied") << late << copyBoth;
        QTest::newRow("sound starting late, encoded") << late << copyPictureEncodeSound;
    }

    void everyPartsSoundKeepsToItsPicture()
    {
        QFETCH(QStringList, clips);
        QFETCH(QString, options);
        const QString output = m_work.filePath(QStringLiteral("beeps.mp4"));
        QStringList inputs;
        for (const QString& clip : clips)
            inputs << encoderClipPath(clip);
        const EncoderProgramRun run =
            runEncoder(inputs + QStringList{QStringLiteral("-o"), output} + optionWords(options));
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        const QList<ChapterMark> chapters = chaptersOf(output);
        const QList<double> beeps = soundOnsets(output, 0.1, true);
        QCOMPARE(beeps.size(), clips.size());
        for (int part = 0; part < clips.size(); ++part)
            QVERIFY2(std::abs(beeps[part] - chapters[part].start - 0.23) < 0.025,
                     qPrintable(QStringLiteral("part %1 at %2 beeps at %3")
                                    .arg(part + 1)
                                    .arg(chapters[part].start)
                                    .arg(beeps[part])));
    }

    // Every sound, subtitle and data track of three 2 s clips is carried, in the first clip's
    // order, the last clip lacking the French sound and the subtitles: each sound track lasts as
    // long as the picture, the subtitles of the first two clips start 0.5 s into their parts,
    // the data track's sample of each clip at its part's start. What the container cannot keep is
    // named and dropped. A join that re-encodes carries the sound tracks.
    void everyTrackIsCarried_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("outputType");
        QTest::addColumn<QByteArrayList>("streams");
        QTest::addColumn<int>("droppedTracks");

        // After the gpmd track, the timecode and the chapters.
        const QByteArrayList mp4Streams{
            "h264,video,und",    "aac,audio,eng",    "aac,audio,fra",    "mov_text,subtitle,und",
            "bin_data,data,eng", "unknown,data,eng", "bin_data,data,eng"};
        QTest::newRow("MP4, sound copied") << "mp4" << copyBoth << "mp4" << mp4Streams << 0;
        QTest::newRow("MP4, sound encoded")
            << "mp4" << copyPictureEncodeSound << "mp4" << mp4Streams << 0;
        QTest::newRow("MKV") << "mkv" << copyBoth << "mkv"
                             << QByteArrayList{"h264,video", "aac,audio,eng", "aac,audio,fra",
                                               "subrip,subtitle"}
                             << 0;
        // MP4's text subtitles become SRT; its telemetry is dropped.
        QTest::newRow("MP4 into MKV")
            << "mp4" << copyBoth << "mkv"
            << QByteArrayList{"h264,video", "aac,audio,eng", "aac,audio,fra", "subrip,subtitle"}
            << 1;
        // A join that encodes its pictures carries every sound track, and the chapters.
        QTest::newRow("MP4, re-encoded") << "mp4" << reencode << "mp4"
                                         << QByteArrayList{"h264,video,und", "aac,audio,eng",
                                                           "aac,audio,fra", "bin_data,data,eng"}
                                         << 0;
        // AVI keeps a sound track's language as its name.
        QTest::newRow("re-encoded into AVI")
            << "mkv" << reencode << "avi"
            << QByteArrayList{"h264,video", "aac,audio,eng", "aac,audio,fra"} << 0;
        QTest::newRow("re-encoded from AVI")
            << "avi" << reencode << "mkv"
            << QByteArrayList{"h264,video", "aac,audio,eng", "aac,audio,fra"} << 0;
    }

    void everyTrackIsCarried()
    {
        QFETCH(QString, type);
        QFETCH(QString, options);
        QFETCH(QString, outputType);
        QFETCH(QByteArrayList, streams);
        QFETCH(int, droppedTracks);
        QStringList inputs;
        for (const char* clip : {"tracks-a.", "tracks-c.", "tracks-b."})
            inputs << encoderClipPath(QLatin1String(clip) + type);
        const QString output = m_work.filePath(QStringLiteral("tracks.") + outputType);
        const EncoderProgramRun run =
            runEncoder(inputs + QStringList{QStringLiteral("-o"), output} + optionWords(options));
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        QCOMPARE(run.errors.count("cannot be kept in an"), droppedTracks);
        QCOMPARE(
            probedEntries(output, {}, "stream=codec_name,codec_type:stream_tags=language,title"),
            streams);
        const auto ends = [&](const QString& stream) {
            double end = 0.0;
            for (const QByteArray& line :
                 probedEntries(output, stream, "packet=pts_time,duration_time"))
                end = std::max(end, line.split(',')[0].toDouble() + line.split(',')[1].toDouble());
            return end;
        };
        const double pictureEnd = readMediaFacts(output).video.duration;
        QVERIFY2(std::abs(pictureEnd - 6.0) < 0.15, qPrintable(QString::number(pictureEnd)));
        for (const QString& sound : {QStringLiteral("a:0"), QStringLiteral("a:1")})
            QVERIFY2(std::abs(ends(sound) - pictureEnd) <= 1 / 30.0,
                     qPrintable(sound + QStringLiteral(" ends at ") + QString::number(ends(sound)) +
                                QStringLiteral(", the picture at ") + QString::number(pictureEnd)));
        // Gaps between MP4 subtitles are empty samples of two bytes.
        const auto starts = [&](const QString& stream) {
            QList<double> times;
            for (const QByteArray& line : probedEntries(output, stream, "packet=pts_time,size"))
                if (line.split(',')[1].toInt() > 2)
                    times << line.split(',')[0].toDouble();
            return times;
        };
        if (std::any_of(streams.begin(), streams.end(),
                        [](const QByteArray& stream) { return stream.contains("subtitle"); }))
            QCOMPARE(starts(QStringLiteral("s")), (QList<double>{0.5, 2.5}));
        // The telemetry goes with the MP4 subtitles.
        if (streams.contains("mov_text,subtitle,und"))
            QCOMPARE(starts(QStringLiteral("d:0")), (QList<double>{0.0, 2.0, 4.0}));
        QCOMPARE(
            toolOutput("sh",
                       {"-c", "ffmpeg -v error -i \"$1\" -map 0 -c:s copy -c:d copy -f null - 2>&1",
                        "sh", output}),
            QByteArray());
    }

    // A clip shown upside down among clips shown turned a quarter is turned so that their turn
    // shows it as it shows itself: its part, as players show it, is the clip with bars around.
    void aClipTurnedOtherwiseIsShownAsItself()
    {
        const QString clip = encoderClipPath(QStringLiteral("copy-upside-down.mp4"));
        const QString output = m_work.filePath(QStringLiteral("turned.mp4"));
        const EncoderProgramRun run =
            runEncoder(QStringList{encoderClipPath("copy-turned-a.mp4"),
                                   encoderClipPath("copy-turned-b.mp4"), clip, "-o", output} +
                       optionWords(copyBoth));
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        // The 160x120 picture within the 120x160 that the others show; 8 dB where it is turned
        // otherwise.
        const QByteArray psnr = toolOutput(
            "sh", {"-c",
                   "ffmpeg -ss 2.5 -i \"$1\" -ss 0.5 -i \"$2\" -filter_complex "
                   "'[0]crop=120:90:0:35,scale=160:120[a];[a][1]psnr' -frames:v 1 -f null - 2>&1 "
                   "| grep -o 'average:[0-9.]*' | cut -d: -f2",
                   "sh", output, clip});
        QVERIFY2(psnr.trimmed().toDouble() > 20, psnr.constData());
    }

    // A subtitle shown across a part's in point shows from the part's start, for what is left,
    // also one that began before the keyframe the part is read from.
    void aSubtitleAcrossAnInPointIsCutThere_data()
    {
        QTest::addColumn<QString>("clip"); // cut at the in point, then the next clip whole
        QTest::addColumn<QString>("inPoint");
        QTest::addColumn<QString>("next");
        QTest::addColumn<QByteArrayList>("subtitles"); // start, length
        QTest::newRow("shown from 0.5 to 1.5 s")
            << "tracks-a.mkv"
            << "1"
            << "tracks-c.mkv" << QByteArrayList{"0.000000,0.500000", "1.500000,1.000000"};
        QTest::newRow("shown from 1 to 5 s")
            << "subtitled-long.mkv"
            << "4"
            << "subtitled-long.mkv" << QByteArrayList{"0.000000,1.000000", "3.000000,4.000000"};
    }
    void aSubtitleAcrossAnInPointIsCutThere()
    {
        QFETCH(QString, clip);
        QFETCH(QString, inPoint);
        QFETCH(QString, next);
        QFETCH(QByteArrayList, subtitles);
        const QString output = m_work.filePath(QStringLiteral("cut-subtitles.mkv"));
        const EncoderProgramRun run =
            runEncoder(QStringList{"{", encoderClipPath(clip), "-ss", inPoint, "}",
                                   encoderClipPath(next), "-o", output} +
                       optionWords(copyBoth));
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        QCOMPARE(probedEntries(output, "s", "packet=pts_time,duration_time"), subtitles);
    }

    // A further sound track whose codec the container cannot hold is encoded whole, in a codec
    // it holds, and keeps its language.
    void aSoundTrackTheContainerCannotHoldIsEncodedWhole()
    {
        const QString clip = encoderClipPath(QStringLiteral("tracks-pcm.mov"));
        const QString output = m_work.filePath(QStringLiteral("pcm.mp4"));
        const EncoderProgramRun run = runEncoder(
            QStringList{clip, clip, QStringLiteral("-o"), output} + optionWords(copyBoth));
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        QCOMPARE(probedEntries(output, "a", "stream=codec_name:stream_tags=language"),
                 (QByteArrayList{"aac,eng", "aac,fra"}));
    }

    // Two parts of a clip of 3 s with keyframes at 0, 0.4, 1.4 and 2.4 s, each picture showing its
    // number and a beep every half second from 0.1 s on, with points between keyframes. Those of
    // an x264 clip stay: the pictures between each point and its keyframe are encoded again, the
    // others copied. Another encoder's clip is cut at the keyframes nearest its points, or at its
    // end, and -checkonly says so. The sound keeps to its pictures.
    void trimmedPartsAreCutExactlyOrAtKeyframes_data()
    {
        QTest::addColumn<QString>("clip");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QStringList>("moved");
        // What each part keeps of the clip, from and to, in seconds.
        QTest::addColumn<QList<double>>("kept");
        // The clip's pictures that are copied, by their place in decode order.
        QTest::addColumn<QList<int>>("copied");
        // The sample entry: avc3 lets the parameter sets of the pictures encoded again come in
        // band.
        QTest::addColumn<QByteArray>("entry");
        const QList<double> exact{1.2, 2.2, 0.72, 2.88};
        const QByteArray avc1("avc1");
        QList<int> copiedExactly;
        for (int i = 35; i < 60; ++i)
            copiedExactly << i;
        QTest::newRow("x264, sound copied")
            << "numbered.mp4" << copyBoth << QStringList() << exact << copiedExactly << avc1;
        QTest::newRow("x264, sound encoded") << "numbered.mp4" << copyPictureEncodeSound
                                             << QStringList() << exact << copiedExactly << avc1;
        QTest::newRow("another encoder, sets in band")
            << "numbered-unnoted.mp4" << copyBoth + " -inbandsets" << QStringList() << exact
            << copiedExactly << QByteArray("avc3");
        QTest::newRow("HEVC, sets in band")
            << "numbered-hevc.mp4" << copyBoth + " -inbandsets" << QStringList() << exact
            << copiedExactly << QByteArray("hev1");
        QList<int> copiedWhole = copiedExactly;
        for (int i = 10; i < 75; ++i)
            copiedWhole << i;
        QTest::newRow("another encoder")
            << "numbered-unnoted.mp4" << copyBoth
            << QStringList{"Moved 1: the in point 00:00:01.200 of numbered-unnoted.mp4 moves to "
                           "the keyframe at 00:00:01.400",
                           "Moved 1: the out point 00:00:02.200 of numbered-unnoted.mp4 moves to "
                           "the keyframe at 00:00:02.400",
                           "Moved 2: the in point 00:00:00.720 of numbered-unnoted.mp4 moves to "
                           "the keyframe at 00:00:00.400",
                           "Moved 2: the out point 00:00:02.880 of numbered-unnoted.mp4 moves to "
                           "the end at 00:00:03.000"}
            << QList<double>{1.4, 2.4, 0.4, 3.0} << copiedWhole << avc1;
    }

    void trimmedPartsAreCutExactlyOrAtKeyframes()
    {
        QFETCH(QString, clip);
        QFETCH(QString, options);
        QFETCH(QStringList, moved);
        QFETCH(QList<double>, kept);
        QFETCH(QList<int>, copied);
        QFETCH(QByteArray, entry);
        const QString path = encoderClipPath(clip);
        const QString output = m_work.filePath(QStringLiteral("cut.mp4"));
        const QStringList arguments =
            QStringList{"{",  path,  "-ss",  "1.2",     "-endpos", "1", "}",  "{",
                        path, "-ss", "0.72", "-endpos", "2.16",    "}", "-o", output} +
            optionWords(options);
        const EncoderProgramRun check = runEncoder(QStringList{"-checkonly"} + arguments);
        QCOMPARE(check.exitCode, 0);
        QStringList movedLines;
        for (const QByteArray& line : check.errors.split('\n'))
            if (const auto point = vantomel::parseMovedLine(line.toStdString()))
                movedLines << QString::fromStdString(vantomel::formatMovedLine(*point)).trimmed();
        QCOMPARE(movedLines, moved);

        const EncoderProgramRun run = runEncoder(arguments);
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        QVERIFY(run.output.contains("(100%)"));
        // Each part keeps the pictures that start within it.
        const auto firstPicture = [](double time) { return qCeil(time * 25 - 0.01); };
        QList<int> expected;
        QList<double> heard;
        double partStart = 0.0;
        for (int part = 0; part < 2; ++part) {
            const double from = kept[2 * part], to = kept[2 * part + 1];
            for (int number = firstPicture(from); number < firstPicture(to); ++number)
                expected << number;
            for (double beep = 0.1; beep < to; beep += 0.5)
                if (beep >= from)
                    heard << partStart + beep - from;
            partStart += to - from;
        }
        const QByteArrayList numbered = greyPictures(path);
        QList<int> shown;
        for (const QByteArray& picture : greyPictures(output))
            shown << likestPicture(picture, numbered);
        QCOMPARE(shown, expected);
        // The copied pictures are the clip's own packets; the first may bring its parameter sets.
        const QByteArrayList clipPackets = pictureSums(path, false);
        QByteArrayList copiedPackets;
        for (const int i : copied.mid(1))
            copiedPackets << clipPackets.at(i);
        const QByteArrayList packets = pictureSums(output, false);
        QCOMPARE(packets.size(), expected.size());
        QCOMPARE(probedEntries(output, "v", "stream=codec_tag_string"), QByteArrayList{entry});
        QVERIFY(std::search(packets.begin(), packets.end(), copiedPackets.begin(),
                            copiedPackets.end()) != packets.end());
        QCOMPARE(toolOutput("sh", {"-c", "ffmpeg -v error -i \"$1\" -f null - 2>&1", "sh", output}),
                 QByteArray());
        QVERIFY(std::abs(chaptersOf(output).value(1).start - (kept[1] - kept[0])) < 0.001);
        const double audioFrame = 1024 / 44100.0;
        QVERIFY(std::abs(readMediaFacts(output).audioMinusVideo()) <= audioFrame);
        const QList<double> beeps = soundOnsets(output, 0.2);
        QCOMPARE(beeps.size(), heard.size());
        for (int i = 0; i < beeps.size(); ++i)
            QVERIFY2(std::abs(beeps[i] - heard[i]) <= audioFrame,
                     qPrintable(QStringLiteral("beep %1 at %2, not %3")
                                    .arg(i + 1)
                                    .arg(beeps[i])
                                    .arg(heard[i])));
    }

    // Where -checkonly says a copied part ends, it ends: before a keyframe of an open group of
    // pictures the pictures decoded before it end earlier than it, as the pictures shown before it
    // lean on it; an out point past the clip's end is the clip's end and moves nowhere. The part,
    // joined twice, decodes cleanly, reaches 100% and keeps its sound.
    void copiedPartEndsWhereTheCheckSays_data()
    {
        QTest::addColumn<QString>("clip");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("length");
        QTest::addColumn<QStringList>("moved");
        QTest::addColumn<double>("partLength");
        QTest::newRow("x264 open groups")
            << "copy-open-gop.mkv"
            << "0"
            << "1.05"
            << QStringList{"Moved 1: the out point 00:00:01.050 of copy-open-gop.mkv moves to the "
                           "keyframe at 00:00:00.960"}
            << 0.96;
        // The in point's keyframe shows none of the pictures before it, which lean on the group
        // before.
        QTest::newRow("MPEG-2 open groups")
            << "copy-mpeg2.mkv"
            << "0.5"
            << "0.5"
            << QStringList{"Moved 1: the in point 00:00:00.500 of copy-mpeg2.mkv moves to the "
                           "keyframe at 00:00:00.480",
                           "Moved 1: the out point 00:00:01.000 of copy-mpeg2.mkv moves to the "
                           "keyframe at 00:00:00.880"}
            << 0.4;
        QTest::newRow("out point past the end") << "copy-a.mp4"
                                                << "0.5"
                                                << "999" << QStringList{} << 0.5;
        QTest::newRow("out point past the end of a clip of no stated length")
            << "copy-unstated-length.mkv"
            << "0.5"
            << "999" << QStringList{} << 0.5;
    }

    void copiedPartEndsWhereTheCheckSays()
    {
        QFETCH(QString, clip);
        QFETCH(QString, start);
        QFETCH(QString, length);
        QFETCH(QStringList, moved);
        QFETCH(double, partLength);
        const QString output = m_work.filePath("ends." + clip.section(QLatin1Char('.'), -1));
        const QStringList part{"{", "{" + clip + "}", "-ss", start, "-endpos", length, "}"};
        const QStringList arguments =
            expand(part + part + QStringList{"-o", "{out}"}, output) + optionWords(copyBoth);
        const EncoderProgramRun check = runEncoder(QStringList{"-checkonly"} + arguments);
        QCOMPARE(check.exitCode, 0);
        for (const QString& line : QStringList(moved))
            moved << QString(line).replace(QStringLiteral("Moved 1"), QStringLiteral("Moved 2"));
        QStringList lines =
            QString::fromUtf8(check.errors).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        lines.removeIf(
            [](const QString& line) { return line.startsWith(QLatin1String("Track ")); });
        QCOMPARE(lines, moved);

        const EncoderProgramRun run = runEncoder(arguments);
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        QVERIFY(run.output.contains("(100%)"));
        QCOMPARE(toolOutput("sh", {"-c", "ffmpeg -v error -i \"$1\" -f null - 2>&1", "sh", output}),
                 QByteArray());
        const QList<ChapterMark> chapters = chaptersOf(output);
        QCOMPARE(chapters.size(), 2);
        QVERIFY2(std::abs(chapters[1].start - partLength) < 0.01,
                 qPrintable(QString::number(chapters[1].start)));
        const QList<JoinLine> joins = joinLines(run.output);
        QVERIFY(joins.size() == 1 && std::abs(joins[0].offset) < lengthTolerance);
        const MediaFacts facts = readMediaFacts(output);
        QVERIFY2(std::abs(facts.audioMinusVideo()) < lengthTolerance,
                 qPrintable(QString::number(facts.audioMinusVideo())));
    }

    // Clips whose pictures differ from most others' are encoded again to match them, where the
    // others' encoder can be matched (x264's clips; another's with their parameter sets in the
    // stream); -checkonly names each. Other clips that differ are refused, with -checkonly too,
    // before anything is written: the message names the clip and how it differs. The sound is
    // compared only when it is copied.
    void copyRefusesClipsThatDiffer_data()
    {
        QTest::addColumn<QString>("clip");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("message"); // empty: joined
        QTest::addColumn<int>("status");      // 5: only the copied sound differs
        // The inputs that -checkonly says cannot be joined with the others, by position, and
        // "in-band" where parameter sets in the stream would join them.
        QTest::addColumn<QString>("differing"); // or, where they are joined, encoded again
        QTest::newRow("picture size, another encoder")
            << "copy-a-unnoted.mp4 copy-size.mp4" << copyBoth
            << "copy-size.mp4 is 176x144 at 30 fps; copy-a-unnoted.mp4 is 160x120 at 30 fps." << 3
            << QString("2 in-band");
        QTest::newRow("picture size, another encoder, sets in band")
            << "copy-a-unnoted.mp4 copy-size.mp4" << copyBoth + " -inbandsets" << QString() << 0
            << QString("2");

        QTest::newRow("picture size")
            << "copy-size.mp4" << copyBoth << QString() << 0 << QString("3");
        QTest::newRow("frame rate")
            << "copy-rate.mp4" << copyBoth << QString() << 0 << QString("3");
        QTest::newRow("video codec")
            << "copy-mpeg4.mp4" << copyBoth << QString() << 0 << QString("3");
        QTest::newRow("pixel format")
            << "copy-444.mp4" << copyBoth << QString() << 0 << QString("3");
        // Sound that differs from most others' is encoded again to match theirs, where their
        // codec's encoder writes their set-up; Vorbis's never does, and its track is encoded
        // whole.
        QTest::newRow("audio codec")
            << "copy-mp3.mp4" << copyBoth << QString() << 0 << QString("3");
        QTest::newRow("audio codec parameters")
            << "copy-aac-main.mp4" << copyBoth << QString() << 0 << QString("3");
        QTest::newRow("sample rate")
            << "copy-44100.mp4" << copyBoth << QString() << 0 << QString("3");
        QTest::newRow("sample rate, most in Vorbis")
            << "copy-vorbis-a.mkv copy-44100.mp4 copy-vorbis-b.mkv" << copyBoth + " -of mkv"
            << QString() << 0 << QString();
        QTest::newRow("channels") << "copy-mono.mp4" << copyBoth << QString() << 0 << QString("3");
        QTest::newRow("sample rate, sound encoded")
            << "copy-44100.mp4" << copyPictureEncodeSound << QString() << 0 << QString();
        const QString intoMkv = copyBoth + QStringLiteral(" -of mkv");
        // A clip turned among others shown as stored is encoded upright to match them; among
        // others turned otherwise, it is turned to show as it does within their turn.
        QTest::newRow("turned upside down")
            << "copy-upside-down.mp4" << copyBoth << QString() << 0 << QString("3");
        QTest::newRow("turned upside down, into MKV")
            << "copy-upside-down.mp4" << intoMkv << QString() << 0 << QString("3");
        QTest::newRow("turned upside down among turned a quarter")
            << "copy-turned-a.mp4 copy-turned-b.mp4 copy-upside-down.mp4" << copyBoth << QString()
            << 0 << QString("3");
        QTest::newRow("trimmed inside a group of pictures")
            << "copy-trimmed.mp4" << copyPictureEncodeSound << QString() << 0 << QString("3");
        // From here a clip of several names is the whole join.
        QTest::newRow("turned, into MKV")
            << "copy-turned-a.mp4 copy-turned-b.mp4" << intoMkv
            << "copy-turned-a.mp4 is shown turned 90 degrees, which an MKV copy cannot keep; join "
               "with \"MP4 - Same as the videos (no re-encoding)\" or a re-encoding profile."
            << 3 << QString();
        QTest::newRow("turned, into MP4")
            << "copy-turned-a.mp4 copy-turned-b.mp4" << copyBoth << QString() << 0 << QString();
        QTest::newRow("pixel aspect")
            << "copy-sar.mp4" << copyBoth << QString() << 0 << QString("3");
        QTest::newRow("container's aspect")
            << "copy-aspect.mp4" << copyBoth << QString() << 0 << QString("3");
        QTest::newRow("container's aspect, kept")
            << "copy-aspect.mp4 copy-aspect.mp4" << intoMkv << QString() << 0 << QString();
        QTest::newRow("variable frame rates around one")
            << "copy-vfr.mp4 copy-vfr-b.mp4 copy-vfr.mp4" << copyBoth << QString() << 0
            << QString();
        QTest::newRow("variable frame rates around two")
            << "copy-vfr.mp4 copy-vfr-25.mp4" << copyBoth
            << "copy-vfr-25.mp4 is 160x120 at a variable frame rate around 25 fps; copy-vfr.mp4 "
               "is 160x120 at a variable frame rate around 30 fps."
            << 3 << QString("2 in-band");
        QTest::newRow("29.97 and 30 fps")
            << "copy-ntsc.mp4" << copyBoth << QString() << 0 << QString();
        QTest::newRow("full range, stated by each")
            << "copy-709.mp4 copy-full.mp4 copy-709.mp4" << intoMkv << QString() << 0 << QString();
        QTest::newRow("full range, not stated by the first")
            << "copy-full.mp4" << copyBoth << QString() << 0 << QString("3");
        QTest::newRow("limited range, not stated after full")
            << "copy-709.mp4 copy-full.mp4 copy-a.mp4" << copyBoth << QString() << 0
            << QString("3");
        QTest::newRow("VP9 into MP4")
            << "copy-vp9.mkv copy-vp9.mkv" << copyBoth
            << "The MP4 container cannot hold copied vp9 video; join with \"MKV - Same as the "
               "videos (no re-encoding)\" or a re-encoding profile."
            << 3 << QString();
        QTest::newRow("H.264 into AVI")
            << "copy-a.mp4 copy-b.mp4" << copyBoth + QStringLiteral(" -of avi")
            << "The AVI container cannot hold copied h264 video; join with \"MP4 - Same as the "
               "videos (no re-encoding)\" or a re-encoding profile."
            << 3 << QString();
        QTest::newRow("two of four differ from the others")
            << "copy-size.mp4 copy-a.mp4 copy-b.mp4 copy-rate.mp4" << copyBoth << QString() << 0
            << QString("1 4");
        QTest::newRow("H.264 among HEVC, sets in band")
            << "numbered-hevc.mp4 numbered-hevc.mp4 copy-size.mp4"
            << copyPictureEncodeSound + " -inbandsets" << QString() << 0 << QString("3");
        QTest::newRow("one turned, one of another size")
            << "copy-a.mp4 copy-b.mp4 copy-size.mp4 copy-upside-down.mp4" << copyBoth << QString()
            << 0 << QString("3 4");
        // The one of another size would be encoded again; the sound that differs is refused.
        QTest::newRow("pictures of one, sound of another")
            << "copy-a.mp4 copy-size.mp4 copy-mp3.mp4 copy-b.mp4" << copyBoth << QString() << 0
            << QString("2 3");
    }

    void copyRefusesClipsThatDiffer()
    {
        QFETCH(QString, clip);
        QFETCH(QString, options);
        QFETCH(QString, message);
        QFETCH(int, status);
        QFETCH(QString, differing);
        const QString output = m_work.filePath(QStringLiteral("refused.mp4"));
        QFile::remove(output);
        QStringList clips = clip.split(QLatin1Char(' '));
        if (clips.size() == 1)
            clips = QStringList{"copy-a.mp4", "copy-b.mp4", clip};
        QStringList words;
        for (const QString& name : clips)
            words << "{" + name + "}";
        const QStringList arguments =
            expand(words + QStringList{"-o", "{out}"} + optionWords(options), output);
        for (const bool checkOnly : {true, false}) {
            const EncoderProgramRun run = runEncoder(
                checkOnly ? QStringList{QStringLiteral("-checkonly")} + arguments : arguments);
            QVERIFY(!run.crashed);
            QStringList messages;
            QStringList positions;
            for (const QByteArray& line : run.errors.trimmed().split('\n')) {
                if (const auto differs = vantomel::parseDiffersLine(line.toStdString()))
                    positions << QString::number(differs->input);
                else if (line == vantomel::kJoinsWithInBandSets.data())
                    positions << QStringLiteral("in-band");
                else if (!vantomel::parseTrackLine(line.toStdString()))
                    messages << QString::fromUtf8(line);
            }
            QCOMPARE(messages.join(QLatin1Char('\n')),
                     message.isEmpty() ? message : "[refusal] " + message);
            QCOMPARE(positions.join(QLatin1Char(' ')), checkOnly ? differing : QString());
            QCOMPARE(run.exitCode, status);
            QCOMPARE(QFile::exists(output), !checkOnly && message.isEmpty());
        }
        if (!message.isEmpty())
            return;
        // The join is shown as the clips it copies are, turned and shaped alike, and decodes
        // throughout.
        const auto shown = [](const QString& path) {
            return probedEntries(path, "v:0",
                                 "stream=display_aspect_ratio:stream_side_data=rotation");
        };
        int copied = 0;
        while (differing.split(' ').contains(QString::number(copied + 1)))
            ++copied;
        QCOMPARE(shown(output), shown(encoderClipPath(clips.at(copied))));
        QCOMPARE(toolOutput("sh", {"-c", "ffmpeg -v error -i \"$1\" -f null - 2>&1", "sh", output}),
                 QByteArray());
    }

    // More clips than the encoder may hold files open: each is read once the join reaches it.
    void copyJoinsMoreClipsThanItMayOpenFiles()
    {
        const QString output = m_work.filePath(QStringLiteral("many.mp4"));
        const QStringList clips(80, encoderClipPath(QStringLiteral("copy-a.mp4")));
        const EncoderProgramRun run =
            runEncoder(clips + QStringList{"-o", output} + optionWords(copyBoth), 40);
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        QVERIFY(std::abs(readMediaFacts(output).video.duration - 80.0) < lengthTolerance);
    }

    // Recordings put together as MPEG-TS, whose clock jumps 1000 s: the picture goes on a frame
    // after the last, the sound in step with it, though the first recording's sound ends early.
    void copyGoesOnAcrossAClockJump_data()
    {
        QTest::addColumn<QString>("options");
        QTest::newRow("sound copied") << copyBoth;
        QTest::newRow("sound encoded") << copyPictureEncodeSound;
    }

    void copyGoesOnAcrossAClockJump()
    {
        QFETCH(QString, options);
        const QString output = m_work.filePath(QStringLiteral("jumps.mp4"));
        const EncoderProgramRun run = runEncoder(
            expand(QStringList{"{copy-jump.ts}", "{copy-jump.ts}", "-o", "{out}"}, output) +
            optionWords(options));
        QVERIFY2(run.exitCode == 0, run.errors.constData());

        const MediaFacts facts = readMediaFacts(output);
        QVERIFY2(std::abs(facts.video.duration - 4.0) < lengthTolerance,
                 qPrintable(QString::number(facts.video.duration)));
        QVERIFY2(std::abs(facts.audioMinusVideo()) < lengthTolerance,
                 qPrintable(QString::number(facts.audioMinusVideo())));
        // Each recording beeps 0.1 s after its first picture.
        const QList<double> beeps = soundOnsets(output, 0.1);
        QCOMPARE(beeps.size(), 4);
        for (int i = 0; i < beeps.size(); ++i)
            QVERIFY2(std::abs(beeps[i] - (i + 0.1)) < lengthTolerance,
                     qPrintable(QStringLiteral("beep %1 at %2").arg(i + 1).arg(beeps[i])));
    }
};

QTEST_GUILESS_MAIN(EncoderCopyJoinTest)
#include "test_encoder_copy_join.moc"

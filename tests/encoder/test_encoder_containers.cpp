// Which container an output gets and what it may hold.
#include "CommandLine.h"
#include "ContainerRules.h"
#include "OutputPlan.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <QtTest>

using namespace asapi;

Q_DECLARE_METATYPE(asapi::Container)

namespace {

Container named(const char* extension)
{
    return vantomel::containerWithExtension(extension);
}

const std::vector<std::string> videoCodecs{"mpeg4", "msmpeg4v2",  "msmpeg4",    "wmv1",   "wmv2",
                                           "flv",   "mpeg1video", "mpeg2video", "libx264"};
const std::vector<std::string> audioCodecs{"libmp3lame", "mp2", "ac3", "aac", "wmav2", "pcm_s16le"};

bool accepted(Container container, const std::string& video, const std::string& audio)
{
    try {
        checkCodecs(container, video, audio);
        return true;
    } catch (const EncoderError&) {
        return false;
    }
}

InputFacts inputAt(int sampleRate)
{
    InputFacts input;
    input.width = 320;
    input.height = 240;
    input.hasAudio = true;
    input.sampleRate = sampleRate;
    input.duration = 2.0;
    return input;
}

} // namespace

class EncoderContainersTest : public QObject
{
    Q_OBJECT

private slots:
    void containerByExtensionOrFormat_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("container");
        QTest::newRow(".avi") << "/o/film.avi"
                              << "" << QString("AVI");
        QTest::newRow(".MPG in capitals") << "/o/film.MPG"
                                          << "" << QString("MPEG");
        QTest::newRow(".mpeg") << "/o/film.mpeg"
                               << "" << QString("MPEG");
        QTest::newRow(".vob") << "/o/film.vob"
                              << "" << QString("VOB");
        QTest::newRow(".mp4") << "/o/film.mp4"
                              << "" << QString("MP4");
        QTest::newRow(".mov") << "/o/film.mov"
                              << "" << QString("MOV");
        QTest::newRow(".wmv") << "/o/film.wmv"
                              << "" << QString("ASF");
        QTest::newRow(".asf") << "/o/film.asf"
                              << "" << QString("ASF");
        QTest::newRow(".flv") << "/o/film.flv"
                              << "" << QString("FLV");
        QTest::newRow(".mkv") << "/o/film.mkv"
                              << "" << QString("MKV");
        QTest::newRow("anything else") << "/o/film.ogv"
                                       << "" << QString("AVI");
        QTest::newRow("no extension") << "/o.d/film"
                                      << "" << QString("AVI");
        QTest::newRow("-of wins") << "/o/film.avi"
                                  << "mp4" << QString("MP4");
        QTest::newRow("-of lavf goes by extension") << "/o/film.flv"
                                                    << "lavf" << QString("FLV");
    }

    void containerByExtensionOrFormat()
    {
        QFETCH(QString, output);
        QFETCH(QString, format);
        QFETCH(QString, container);
        QCOMPARE(containerName(containerFor(output.toStdString(), format.toStdString())),
                 container.toStdString());
    }

    void mpegFilesNeedTheVobMuxerForMpeg2AndAc3()
    {
        QCOMPARE(muxerName(named("mpg"), "mpeg1video", "mp2"), std::string("mpeg"));
        QCOMPARE(muxerName(named("mpg"), "mpeg2video", "mp2"), std::string("vob"));
        QCOMPARE(muxerName(named("mpg"), "mpeg1video", "ac3"), std::string("vob"));
        QCOMPARE(muxerName(named("vob"), "mpeg2video", "ac3"), std::string("vob"));
    }

    // Whatever the rules let through, libavformat's muxer must be able to write.
    void rulesNeverPromiseWhatTheMuxerCannotWrite()
    {
        for (const vantomel::OutputContainer& row : vantomel::outputContainers())
            for (const auto& video : videoCodecs)
                for (const auto& audio : audioCodecs) {
                    const Container container = &row;
                    if (!accepted(container, video, audio))
                        continue;
                    const AVOutputFormat* muxer = av_guess_format(
                        muxerName(container, video, audio).c_str(), nullptr, nullptr);
                    QVERIFY(muxer);
                    for (const auto& codec : {video, audio}) {
                        const AVCodec* encoder = avcodec_find_encoder_by_name(codec.c_str());
                        QVERIFY(encoder);
                        QVERIFY2(
                            avformat_query_codec(muxer, encoder->id, FF_COMPLIANCE_NORMAL) != 0,
                            qPrintable(
                                QString::fromStdString(containerName(container) + " " + codec)));
                    }
                }
    }

    void refusalNamesTheCodec_data()
    {
        QTest::addColumn<Container>("container");
        QTest::addColumn<QString>("video");
        QTest::addColumn<QString>("audio");
        QTest::addColumn<QString>("message");
        QTest::newRow("WMA in MP4") << named("mp4") << "libx264"
                                    << "wmav2"
                                    << "The MP4 container cannot hold WMA audio.";
        QTest::newRow("PCM in MPG") << named("mpg") << "mpeg1video"
                                    << "pcm_s16le"
                                    << "The MPEG container cannot hold PCM audio.";
        QTest::newRow("AAC in MPG") << named("mpg") << "mpeg1video"
                                    << "aac"
                                    << "The MPEG container cannot hold AAC audio.";
        QTest::newRow("WMV in MP4") << named("mp4") << "wmv2"
                                    << "aac"
                                    << "The MP4 container cannot hold wmv2 video.";
        QTest::newRow("MPEG-4 in FLV") << named("flv") << "mpeg4"
                                       << "libmp3lame"
                                       << "The FLV container cannot hold mpeg4 video.";
        QTest::newRow("WMA in MKV") << named("mkv") << "libx264"
                                    << "wmav2"
                                    << "The MKV container cannot hold WMA audio.";
        QTest::newRow("H.264 in ASF") << named("asf") << "libx264"
                                      << "wmav2"
                                      << "The ASF container cannot hold libx264 video.";
    }

    void refusalNamesTheCodec()
    {
        QFETCH(Container, container);
        QFETCH(QString, video);
        QFETCH(QString, audio);
        QFETCH(QString, message);
        try {
            checkCodecs(container, video.toStdString(), audio.toStdString());
            QFAIL("accepted");
        } catch (const EncoderError& error) {
            QCOMPARE(QString::fromStdString(error.what()), message);
            QVERIFY(error.kind() == EncoderError::Kind::Usage);
        }
    }

    // Without -srate the first input's rate is taken, or the nearest one the output allows;
    // a rate asked for that the output cannot take is refused.
    void sampleRates_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("inputRate");
        QTest::addColumn<int>("expected"); // 0: refused
        QTest::newRow("first input's rate") << "-oac mp3lame" << 32000 << 32000;
        QTest::newRow("asked for") << "-oac mp3lame -srate 48000" << 32000 << 48000;
        QTest::newRow("nearest for AC-3") << "-oac lavc -lavcopts acodec=ac3" << 22050 << 32000;
        QTest::newRow("nearest in FLV") << "-lavcopts vcodec=flv -oac mp3lame" << 48000 << 44100;
        QTest::newRow("refused in FLV")
            << "-lavcopts vcodec=flv -oac mp3lame -srate 32000" << 48000 << 0;
    }

    void sampleRates()
    {
        QFETCH(QString, line);
        QFETCH(int, inputRate);
        QFETCH(int, expected);
        const QString output = line.contains(QLatin1String("flv")) ? "o.flv" : "o.avi";
        std::vector<std::string> arguments{"i.avi", "-o", output.toStdString()};
        for (const QString& word : line.split(QLatin1Char(' ')))
            arguments.push_back(word.toStdString());
        const CommandLineOptions options = parseCommandLine(arguments);
        try {
            const OutputPlan plan = planOutput(options, {inputAt(inputRate)});
            QCOMPARE(plan.sampleRate, expected);
        } catch (const EncoderError&) {
            QCOMPARE(0, expected);
        }
    }

    // Without a bitrate the picture keeps a constant quantiser, but for libx264, which has a
    // quality of its own; MPEG-2 at a DVD's bitrate is held to what DVD players can read.
    void videoQualityAndLimits_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("quantiser"); // 0: none
        QTest::addColumn<bool>("limited");
        QTest::newRow("intermediate") << "o.avi"
                                      << "-oac mp3lame" << 3 << false;
        QTest::newRow("quantiser asked for") << "o.avi"
                                             << "-lavcopts vqscale=5" << 5 << false;
        QTest::newRow("bitrate") << "o.avi"
                                 << "-lavcopts vbitrate=800:vqscale=5" << 0 << false;
        QTest::newRow("H.264")
            << "o.mp4"
            << "-lavcopts vcodec=libx264:vqscale=5 -oac lavc -lavcopts acodec=aac" << 0 << false;
        QTest::newRow("MPEG-2 for DVD players")
            << "o.vob"
            << "-lavcopts vcodec=mpeg2video:vbitrate=6000 -oac lavc" << 0 << true;
        QTest::newRow("MPEG-2 above a DVD's bitrate")
            << "o.vob"
            << "-lavcopts vcodec=mpeg2video:vbitrate=12000 -oac lavc" << 0 << false;
    }

    void videoQualityAndLimits()
    {
        QFETCH(QString, output);
        QFETCH(QString, line);
        QFETCH(int, quantiser);
        QFETCH(bool, limited);
        std::vector<std::string> arguments{"i.avi", "-o", output.toStdString()};
        for (const QString& word : line.split(QLatin1Char(' ')))
            arguments.push_back(word.toStdString());
        const OutputPlan plan = planOutput(parseCommandLine(arguments), {inputAt(48000)});
        QCOMPARE(plan.quantiser, quantiser);
        QCOMPARE(plan.videoMaxRate > 0 && plan.videoBufferSize > 0, limited);
    }

    // MPEG-1 and MPEG-2 video have eight frame rates; another is moved to the nearest of them,
    // an MP2 bitrate left open fits the sample rate.
    void mpegOutputFitsWhatMpegAllows()
    {
        InputFacts input = inputAt(22050);
        input.frameRate = Ratio{15, 1};
        const OutputPlan plan = planOutput(parseCommandLine({"i.wmv", "-o", "o.mpg", "-lavcopts",
                                                             "vcodec=mpeg1video", "-oac", "lavc"}),
                                           {input});
        QVERIFY(plan.frameRate == (Ratio{24000, 1001}));
        QCOMPARE(plan.sampleRate, 22050);
        QCOMPARE(plan.audioBitrate, 160000L);
        const OutputPlan given =
            planOutput(parseCommandLine({"i.wmv", "-o", "o.vob", "-lavcopts", "vcodec=mpeg2video",
                                         "-oac", "lavc", "-ofps", "30", "-srate", "48000"}),
                       {input});
        QVERIFY(given.frameRate == (Ratio{30, 1}));
        QCOMPARE(given.audioBitrate, 224000L);
    }

    // The encoders count in time bases of at most 16 bits: 999999/1000 would be refused.
    void frameRateFitsTheEncodersTimeBase()
    {
        const OutputPlan plan = planOutput(
            parseCommandLine({"i.avi", "-o", "o.avi", "-ofps", "999.999"}), {inputAt(44100)});
        QVERIFY(plan.frameRate.num <= 65535 && plan.frameRate.den <= 65535);
        QVERIFY(std::abs(plan.frameRate.value() - 999.999) < 0.01);
    }

    void aspectBecomesThePixelShape()
    {
        const OutputPlan given =
            planOutput(parseCommandLine({"i.avi", "-o", "o.avi", "-lavcopts", "aspect=16:9", "-vf",
                                         "scale=640:480"}),
                       {inputAt(44100)});
        QVERIFY(std::abs(given.pixelAspect - 4.0 / 3) < 1e-9);
        InputFacts wide = inputAt(44100);
        wide.pixelAspect = 4.0 / 3; // 320x240 shown as 16:9
        const OutputPlan automatic =
            planOutput(parseCommandLine({"i.avi", "-o", "o.avi", "-lavcopts", "autoaspect", "-vf",
                                         "scale=640:360"}),
                       {wide});
        QVERIFY(std::abs(automatic.pixelAspect - 1.0) < 1e-9);
        const OutputPlan square =
            planOutput(parseCommandLine({"i.avi", "-o", "o.avi", "-vf", "scale=640:360"}), {wide});
        QCOMPARE(square.pixelAspect, 1.0);
    }
};

QTEST_GUILESS_MAIN(EncoderContainersTest)
#include "test_encoder_containers.moc"

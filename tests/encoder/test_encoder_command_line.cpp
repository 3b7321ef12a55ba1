// MEncoder's command line as the encoder reads it, and the picture size it works out.
#include "CommandLine.h"
#include "PictureLayout.h"

#include <QtTest>

using namespace asapi;

namespace {

std::vector<std::string> words(const QString& text)
{
    std::vector<std::string> result;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        result.push_back(word.toStdString());
    return result;
}

// The message of a refused command line; a refusal is a usage error, which a stop does not hide.
QString refusal(const QString& text)
{
    try {
        parseCommandLine(words(text));
    } catch (const EncoderError& error) {
        const QString message = QString::fromStdString(error.what());
        return error.kind() == EncoderError::Kind::Usage
                   ? message
                   : QStringLiteral("not a usage error: ") + message;
    }
    return QString();
}

// The inputs as read: "a.avi[5+62.5]" is a.avi from 5 s on for 62.5 s.
QString inputsRead(const QString& line)
{
    QStringList inputs;
    for (const InputOptions& input : parseCommandLine(words(line)).inputs) {
        const auto seconds = [](std::optional<double> value) {
            return value ? QString::number(*value) : QString();
        };
        inputs << QString::fromStdString(input.path) +
                      (input.start || input.length
                           ? "[" + seconds(input.start) + "+" + seconds(input.length) + "]"
                           : QString());
    }
    return inputs.join(QLatin1Char(' '));
}

} // namespace

Q_DECLARE_METATYPE(std::optional<long>)
Q_DECLARE_METATYPE(std::optional<int>)

class EncoderCommandLineTest : public QObject
{
    Q_OBJECT

private slots:
    // The two command lines the program composes.
    void conversionLine()
    {
        const CommandLineOptions options =
            parseCommandLine({"/in/clip one.mov", "-o", "/tmp/v/0.avi", "-oac", "mp3lame", "-ovc",
                              "lavc", "-ofps", "30", "-vf", "scale=640:480"});
        QCOMPARE(inputPaths(options), std::vector<std::string>{"/in/clip one.mov"});
        QCOMPARE(options.output, std::string("/tmp/v/0.avi"));
        QVERIFY(options.audioEncoder == AudioEncoder::Mp3Lame);
        QCOMPARE(options.videoCodec, std::string("mpeg4"));
        QVERIFY(!options.videoBitrate); // constant quality
        QVERIFY(options.mp3Mode == Mp3Mode::Variable);
        QCOMPARE(options.mp3Quality, 0);
        QVERIFY(options.frameRate == (Ratio{30, 1}));
        QCOMPARE(options.videoFilters.size(), std::size_t(1));
        QCOMPARE(options.videoFilters[0].width, std::optional<int>(640));
        QCOMPARE(options.videoFilters[0].height, std::optional<int>(480));
        QVERIFY(!options.sampleRate);
        QCOMPARE(options.channels, 2);
    }

    void joinLine()
    {
        const CommandLineOptions options =
            parseCommandLine({"/tmp/v/0.avi", "/tmp/v/1.avi", "-o", "/out/film.mp4", "-ovc", "lavc",
                              "-lavcopts", "vcodec=libx264:vbitrate=2000:mbd=2:aspect=16:9", "-oac",
                              "lavc", "-lavcopts", "acodec=aac:abitrate=160", "-channels", "2",
                              "-vf", "scale=1280:720", "-srate", "48000"});
        QCOMPARE(options.inputs.size(), std::size_t(2));
        QCOMPARE(options.videoCodec, std::string("libx264"));
        QCOMPARE(options.videoBitrate, std::optional<long>(2000000));
        QCOMPARE(options.macroblockDecision, 2);
        QVERIFY(options.aspect && std::abs(*options.aspect - 16.0 / 9) < 1e-9);
        QVERIFY(options.audioEncoder == AudioEncoder::Lavc);
        QCOMPARE(options.audioCodec, std::string("aac"));
        QCOMPARE(options.audioBitrate, std::optional<long>(160000));
        QCOMPARE(options.sampleRate, std::optional<int>(48000));
    }

    // Unlike MEncoder, options after or between the inputs apply to the whole run.
    void optionsMayStandAnywhere()
    {
        const CommandLineOptions options =
            parseCommandLine(words("-srate 22050 a.avi -vf scale=320:240 b.avi -o out.avi c.avi "
                                   "-channels 1"));
        QCOMPARE(inputPaths(options), (std::vector<std::string>{"a.avi", "b.avi", "c.avi"}));
        QCOMPARE(options.sampleRate, std::optional<int>(22050));
        QCOMPARE(options.videoFilters.at(0).width, std::optional<int>(320));
        QCOMPARE(options.channels, 1);
    }

    // After "--" a name that begins with "-" is a file, and so is everything else.
    void doubleDashEndsTheOptions()
    {
        const CommandLineOptions options =
            parseCommandLine(words("-o out.avi a.avi -- -name.avi -o --"));
        QCOMPARE(inputPaths(options), (std::vector<std::string>{"a.avi", "-name.avi", "-o", "--"}));
        QCOMPARE(options.output, std::string("out.avi"));
    }

    // -checkonly and -inbandsets are not MEncoder's: flags without a parameter, anywhere among
    // the options; after "--" they are file names like any other.
    void checkOnlyAndInBandSetsAreFlags()
    {
        const CommandLineOptions consented =
            parseCommandLine(words("a.avi -inbandsets b.avi -o out.mp4 -ovc copy"));
        QVERIFY(consented.inBandSets);
        QCOMPARE(inputPaths(consented), (std::vector<std::string>{"a.avi", "b.avi"}));
        QVERIFY(!parseCommandLine(words("a.avi -o out.mp4 -ovc copy -- -inbandsets")).inBandSets);
        QVERIFY(!parseCommandLine(words("a.avi -o out.avi")).checkOnly);
        const CommandLineOptions first = parseCommandLine(words("-checkonly a.avi -o out.avi"));
        QVERIFY(first.checkOnly);
        QCOMPARE(inputPaths(first), std::vector<std::string>{"a.avi"});
        QCOMPARE(first.output, std::string("out.avi"));
        QVERIFY(parseCommandLine(words("a.avi -o out.avi -checkonly")).checkOnly);
        const CommandLineOptions file = parseCommandLine(words("a.avi -o out.avi -- -checkonly"));
        QVERIFY(!file.checkOnly);
        QCOMPARE(inputPaths(file), (std::vector<std::string>{"a.avi", "-checkonly"}));
    }

    // An input's own options stand in braces after its name; a name alone in braces is a bare
    // name.
    void inputsInBraces_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("inputs");
        QTest::newRow("braced and bare") << "{ a.avi } b.avi { c.avi }"
                                         << "a.avi b.avi c.avi";
        QTest::newRow("each its own times")
            << "{ a.avi -ss 5 -endpos 00:01:02.5 } { b.avi } { c.avi -endpos 1:30 -ss .5 }"
            << "a.avi[5+62.5] b.avi c.avi[0.5+90]";
        QTest::newRow("after -- braces are files") << "-- { a.avi }"
                                                   << "{ a.avi }";
    }

    void inputsInBraces()
    {
        QFETCH(QString, line);
        QFETCH(QString, inputs);
        QCOMPARE(inputsRead("-o out.avi " + line), inputs);
    }

    void lavcopts_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<std::optional<long>>("videoBitrate");
        QTest::addColumn<double>("aspect"); // 0: none
        QTest::addColumn<bool>("autoAspect");
        QTest::addColumn<std::optional<long>>("audioBitrate");
        QTest::addColumn<QString>("videoCodec");
        QTest::addColumn<std::optional<int>>("quantiser");
        QTest::addColumn<std::optional<int>>("encoderThreads");
        QTest::addColumn<std::optional<int>>("decoderThreads");
        const std::optional<int> none;

        QTest::newRow("kbit/s up to 16000")
            << "-lavcopts vbitrate=16000" << std::optional<long>(16000000) << 0.0 << false
            << std::optional<long>() << "mpeg4" << none << none << none;
        QTest::newRow("bit/s above 16000")
            << "-lavcopts vbitrate=16001" << std::optional<long>(16001) << 0.0 << false
            << std::optional<long>() << "mpeg4" << none << none << none;
        QTest::newRow("audio kbit/s below 1000")
            << "-lavcopts abitrate=999" << std::optional<long>() << 0.0 << false
            << std::optional<long>(999000) << "mpeg4" << none << none << none;
        QTest::newRow("audio bit/s from 1000")
            << "-lavcopts abitrate=1000" << std::optional<long>() << 0.0 << false
            << std::optional<long>(1000) << "mpeg4" << none << none << none;
        QTest::newRow("aspect with a colon")
            << "-lavcopts aspect=4:3:vbitrate=800" << std::optional<long>(800000) << 4.0 / 3
            << false << std::optional<long>() << "mpeg4" << none << none << none;
        QTest::newRow("aspect with a slash")
            << "-lavcopts aspect=16/9" << std::optional<long>() << 16.0 / 9 << false
            << std::optional<long>() << "mpeg4" << none << none << none;
        QTest::newRow("aspect as a number")
            << "-lavcopts aspect=2.35" << std::optional<long>() << 2.35 << false
            << std::optional<long>() << "mpeg4" << none << none << none;
        QTest::newRow("autoaspect")
            << "-lavcopts vcodec=wmv2:mbd=2:autoaspect" << std::optional<long>() << 0.0 << true
            << std::optional<long>() << "wmv2" << none << none << none;
        QTest::newRow("repeated, merged, later key wins")
            << "-lavcopts vcodec=wmv2:vbitrate=500 -lavcopts acodec=wmav2:abitrate=64 "
               "-lavcopts vcodec=msmpeg4"
            << std::optional<long>(500000) << 0.0 << false << std::optional<long>(64000)
            << "msmpeg4" << none << none << none;
        QTest::newRow("constant quality")
            << "-lavcopts vqscale=3" << std::optional<long>() << 0.0 << false
            << std::optional<long>() << "mpeg4" << std::optional<int>(3) << none << none;
        QTest::newRow("encoder and decoder threads apart")
            << "-lavdopts threads=1 -lavcopts threads=2" << std::optional<long>() << 0.0 << false
            << std::optional<long>() << "mpeg4" << none << std::optional<int>(2)
            << std::optional<int>(1);
        QTest::newRow("threads beside the profile's options")
            << "-lavcopts vcodec=libx264:vbitrate=2000:mbd=2:autoaspect -lavcopts threads=1 "
               "-lavdopts threads=1"
            << std::optional<long>(2000000) << 0.0 << true << std::optional<long>() << "libx264"
            << none << std::optional<int>(1) << std::optional<int>(1);
    }

    void lavcopts()
    {
        QFETCH(QString, line);
        QFETCH(std::optional<long>, videoBitrate);
        QFETCH(double, aspect);
        QFETCH(bool, autoAspect);
        QFETCH(std::optional<long>, audioBitrate);
        QFETCH(QString, videoCodec);
        QFETCH(std::optional<int>, quantiser);
        QFETCH(std::optional<int>, encoderThreads);
        QFETCH(std::optional<int>, decoderThreads);
        const CommandLineOptions options = parseCommandLine(words("in.avi -o out.avi " + line));
        QCOMPARE(options.videoBitrate, videoBitrate);
        QCOMPARE(options.aspect.has_value(), aspect != 0.0);
        if (options.aspect)
            QVERIFY(std::abs(*options.aspect - aspect) < 1e-9);
        QCOMPARE(options.autoAspect, autoAspect);
        QCOMPARE(options.audioBitrate, audioBitrate);
        QCOMPARE(QString::fromStdString(options.videoCodec), videoCodec);
        QCOMPARE(options.videoQuantiser, quantiser);
        QCOMPARE(options.encoderThreads, encoderThreads);
        QCOMPARE(options.decoderThreads, decoderThreads);
    }

    void lameopts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("mode"); // Mp3Mode
        QTest::addColumn<int>("quality");
        QTest::addColumn<int>("bitrate");
        QTest::newRow("variable") << "vbr=2:q=4" << int(Mp3Mode::Variable) << 4 << 128;
        QTest::newRow("vbr=0 is constant") << "vbr=0:br=192" << int(Mp3Mode::Constant) << 0 << 192;
        QTest::newRow("vbr=3 is average") << "vbr=3:br=160" << int(Mp3Mode::Average) << 0 << 160;
        QTest::newRow("abr") << "abr:br=160" << int(Mp3Mode::Average) << 0 << 160;
        QTest::newRow("cbr") << "cbr:br=224" << int(Mp3Mode::Constant) << 0 << 224;
    }

    void lameopts()
    {
        QFETCH(QString, text);
        QFETCH(int, mode);
        QFETCH(int, quality);
        QFETCH(int, bitrate);
        const CommandLineOptions options =
            parseCommandLine({"in.avi", "-o", "out.avi", "-lameopts", text.toStdString()});
        QCOMPARE(int(options.mp3Mode), mode);
        QCOMPARE(options.mp3Quality, quality);
        QCOMPARE(options.mp3Bitrate, bitrate);
    }

    void frameRates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("num");
        QTest::addColumn<int>("den");
        QTest::newRow("whole") << "30" << 30 << 1;
        QTest::newRow("ratio") << "30000/1001" << 30000 << 1001;
        QTest::newRow("NTSC as a decimal") << "29.97" << 30000 << 1001;
        QTest::newRow("film NTSC") << "23.976" << 24000 << 1001;
        QTest::newRow("other decimal") << "12.5" << 12500 << 1000;
        QTest::newRow("not a number") << "fast" << 0 << 0;
        QTest::newRow("zero") << "0" << 0 << 0;
        QTest::newRow("too small to keep in thousandths") << "0.0001" << 0 << 0;
    }

    void frameRates()
    {
        QFETCH(QString, text);
        QFETCH(int, num);
        QFETCH(int, den);
        const auto ratio = parseRatio(text.toStdString());
        QCOMPARE(ratio.has_value(), num != 0);
        if (ratio)
            QVERIFY(*ratio == (Ratio{num, den}));
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown option") << "a.avi -o b.avi -foo"
                                        << "-foo is not an MEncoder option";
        QTest::newRow("other video encoder")
            << "a.avi -o b.avi -ovc x264"
            << "Video encoder x264 is not supported; use -ovc lavc or copy.";
        QTest::newRow("other audio encoder")
            << "a.avi -o b.avi -oac faac"
            << "Audio encoder faac is not supported; use -oac mp3lame, pcm, lavc or copy.";
        QTest::newRow("sound copied, picture encoded") << "a.mp4 -o b.mp4 -ovc lavc -oac copy"
                                                       << "-oac copy needs -ovc copy.";
        QTest::newRow("copied picture scaled")
            << "a.mp4 -o b.mp4 -ovc copy -vf scale=320:240"
            << "-vf and -ofps cannot change a picture that -ovc copy copies.";
        QTest::newRow("unknown audio codec") << "a.avi -o b.avi -lavcopts acodec=opus"
                                             << "Audio codec opus is not supported.";
        QTest::newRow("mbd out of range")
            << "a.avi -o b.avi -lavcopts mbd=3"
            << "The value 3 of suboption mbd is out of range (0 to 2).";
        QTest::newRow("empty bitrate") << "a.avi -o b.avi -lavcopts acodec=ac3:abitrate="
                                       << "Suboption abitrate needs a value.";
        QTest::newRow("bad aspect") << "a.avi -o b.avi -lavcopts aspect=wide"
                                    << "The aspect ratio wide is not a number.";
        QTest::newRow("no threads")
            << "a.avi -o b.avi -lavcopts threads=0"
            << "The value 0 of suboption threads is out of range (1 to 16).";
        QTest::newRow("too many decoder threads")
            << "a.avi -o b.avi -lavdopts threads=17"
            << "The value 17 of suboption threads is out of range (1 to 16).";
        QTest::newRow("other decoder option") << "a.avi -o b.avi -lavdopts fast"
                                              << "Unknown suboption fast of -lavdopts.";
        QTest::newRow("quantiser out of range")
            << "a.avi -o b.avi -lavcopts vqscale=0"
            << "The value 0 of suboption vqscale is out of range (1 to 31).";
        QTest::newRow("lame quality out of range")
            << "a.avi -o b.avi -lameopts q=10"
            << "The value 10 of suboption q is out of range (0 to 9).";
        QTest::newRow("other filter") << "a.avi -o b.avi -vf crop=100:100"
                                      << "Couldn't find video filter 'crop'.";
        QTest::newRow("bad size") << "a.avi -o b.avi -vf scale=640:tall"
                                  << "The picture size 640:tall is not valid.";
        QTest::newRow("bad border") << "a.avi -o b.avi -vf expand=640:wide"
                                    << "The value wide of filter expand is not valid.";
        QTest::newRow("bad sample rate") << "a.avi -o b.avi -srate 44k"
                                         << "The sample rate 44k is not valid.";
        QTest::newRow("bad channels") << "a.avi -o b.avi -channels 0"
                                      << "The channel count 0 is not valid.";
        QTest::newRow("bad frame rate") << "a.avi -o b.avi -ofps -5"
                                        << "The frame rate -5 is not valid.";
        QTest::newRow("frame rate that rounds to 0") << "a.avi -o b.avi -ofps 0.0001"
                                                     << "The frame rate 0.0001 is not valid.";
        QTest::newRow("frame rate below a 16-bit time base")
            << "a.avi -o b.avi -ofps 1/100000"
            << "The frame rate 1/100000 is not valid.";
        QTest::newRow("missing value") << "a.avi -o"
                                       << "Option -o needs a parameter.";
        QTest::newRow("second output") << "a.avi -o b.avi -ovc lavc -o /home/user/c.avi"
                                       << "Option -o is given twice: b.avi and /home/user/c.avi.";
        QTest::newRow("no output") << "a.avi"
                                   << "No output file specified, please see the -o option.";
        QTest::newRow("no input") << "-o b.avi"
                                  << "No input file given.";
        QTest::newRow("braces not closed") << "-o b.avi { a.avi"
                                           << "A { is not closed by }.";
        QTest::newRow("braces not opened") << "-o b.avi a.avi }"
                                           << "A } stands without its {.";
        QTest::newRow("braces in braces") << "-o b.avi { { a.avi } }"
                                          << "Braces do not nest: a { stands inside another.";
        QTest::newRow("empty braces") << "-o b.avi a.avi { }"
                                      << "Braces hold no file: { }.";
        QTest::newRow("two files in braces") << "-o b.avi { a.avi c.avi }"
                                             << "Braces hold one file each, not a.avi and c.avi.";
        QTest::newRow("option before the file")
            << "-o b.avi { -ss 5 a.avi }"
            << "In braces the file comes first: { file -ss ... }.";
        QTest::newRow("run's option in braces")
            << "-o b.avi { a.avi -srate 22050 }"
            << "Option -srate is the whole run's: it cannot stand in braces.";
        QTest::newRow("input's option outside braces")
            << "-o b.avi a.avi -endpos 5"
            << "Option -endpos is one input's: give it in braces after its file, { file -endpos "
               "... }.";
        QTest::newRow("sixty seconds") << "-o b.avi { a.avi -ss 1:60 }"
                                       << "The time 1:60 of -ss is not valid.";
        QTest::newRow("negative time") << "-o b.avi { a.avi -ss -5 }"
                                       << "The time -5 of -ss is not valid.";
    }

    void refusals()
    {
        QFETCH(QString, line);
        QFETCH(QString, message);
        QCOMPARE(refusal(line), message);
    }

    // Where the input's picture lands: its stored size and pixel aspect, the -vf options, and
    // the output picture with the input's picture inside it (the rest is black).
    void pictureLayouts_data()
    {
        QTest::addColumn<QSize>("input");
        QTest::addColumn<double>("pixelAspect");
        QTest::addColumn<QString>("filters");
        QTest::addColumn<QSize>("output");
        QTest::addColumn<QRect>("picture");
        const QSize pal(720, 576);
        QTest::newRow("as given") << pal << 1.0 << "-vf scale=640:480" << QSize(640, 480)
                                  << QRect(0, 0, 640, 480);
        QTest::newRow("stretched, odd sides rounded up")
            << pal << 1.0 << "-vf scale=321:239" << QSize(322, 240) << QRect(0, 0, 322, 240);
        QTest::newRow("not given") << pal << 1.0 << "" << pal << QRect(QPoint(), pal);
        QTest::newRow("width only")
            << pal << 1.0 << "-vf scale=480" << QSize(480, 576) << QRect(0, 0, 480, 576);
        QTest::newRow("-1 is the stored size")
            << pal << 16.0 / 15 << "-vf scale=-1:-1" << pal << QRect(QPoint(), pal);
        QTest::newRow("0 is the display size")
            << pal << 16.0 / 15 << "-vf scale=0:0" << QSize(768, 576) << QRect(0, 0, 768, 576);
        QTest::newRow("-2 keeps the display aspect")
            << pal << 16.0 / 15 << "-vf scale=-2:288" << QSize(384, 288) << QRect(0, 0, 384, 288);
        QTest::newRow("-3 keeps the stored aspect")
            << pal << 16.0 / 15 << "-vf scale=360:-3" << QSize(360, 288) << QRect(0, 0, 360, 288);
        QTest::newRow("-10 rounds to 16")
            << pal << 1.0 << "-vf scale=-10:300" << QSize(368, 300) << QRect(0, 0, 368, 300);
        QTest::newRow("both from the other side")
            << pal << 1.0 << "-vf scale=-2:-3" << pal << QRect(QPoint(), pal);

        // The shape kept: the largest display size inside the box, scaled to, then bordered.
        const QString fit169 = "-vf dsize=640:360:0,scale=0:0,expand=640:360";
        QTest::newRow("portrait in 16:9: bars left and right")
            << QSize(360, 640) << 1.0 << fit169 << QSize(640, 360) << QRect(218, 0, 204, 360);
        QTest::newRow("4:3 in 16:9: bars left and right")
            << QSize(640, 480) << 1.0 << fit169 << QSize(640, 360) << QRect(80, 0, 480, 360);
        QTest::newRow("16:9 in 4:3: bars above and below")
            << QSize(1280, 720) << 1.0 << "-vf dsize=640:480:0,scale=0:0,expand=640:480"
            << QSize(640, 480) << QRect(0, 60, 640, 360);
        QTest::newRow("anamorphic 16:9 in 16:9: its display shape")
            << pal << 64.0 / 45 << fit169 << QSize(640, 360) << QRect(0, 0, 640, 360);
        QTest::newRow("16:9 in 16:9: no bars")
            << QSize(1920, 1080) << 1.0 << fit169 << QSize(640, 360) << QRect(0, 0, 640, 360);
        // In one pass the fit goes in front of the profile's own scale, which then changes
        // nothing.
        QTest::newRow("-vf-pre goes in front")
            << QSize(360, 640) << 1.0
            << "-vf scale=640:360 -vf-pre dsize=640:360:0,scale=0:0,expand=640:360"
            << QSize(640, 360) << QRect(218, 0, 204, 360);
        // A 720x576 picture shown at 16:9: filled at 1024x576, then squeezed into its pixels.
        QTest::newRow("4:3 in a DVD picture shown at 16:9")
            << QSize(640, 480) << 1.0
            << "-vf dsize=1024:576:0,scale=0:0,expand=1024:576,scale=720:576" << pal
            << QRect(90, 0, 540, 576);
        QTest::newRow("expand places the picture")
            << QSize(320, 240) << 1.0 << "-vf expand=400:300:10:20" << QSize(400, 300)
            << QRect(10, 20, 320, 240);
    }

    void pictureLayouts()
    {
        QFETCH(QSize, input);
        QFETCH(double, pixelAspect);
        QFETCH(QString, filters);
        QFETCH(QSize, output);
        QFETCH(QRect, picture);
        InputFacts facts;
        facts.width = input.width();
        facts.height = input.height();
        facts.pixelAspect = pixelAspect;
        const auto options = parseCommandLine(words("a.avi -o b.avi " + filters));
        const PictureLayout layout = layoutPicture(options.videoFilters, facts);
        QCOMPARE(QSize(layout.width, layout.height), output);
        QCOMPARE(QRect(layout.pictureX, layout.pictureY, layout.pictureWidth, layout.pictureHeight),
                 picture);
    }
};

QTEST_GUILESS_MAIN(EncoderCommandLineTest)
#include "test_encoder_command_line.moc"

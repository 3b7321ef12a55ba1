#include "job/EncoderCommand.h"

#include <QTest>

class TestEncoderCommand : public QObject
{
    Q_OBJECT

private slots:
    void conversionCommandText()
    {
        const EncoderCommand c =
            conversionCommand({"/in/clip.mov"}, "/tmp/v/0.avi", PictureRules{"640:480"});
        QCOMPARE(
            c.text,
            QString(
                R"( "/in/clip.mov" -o "/tmp/v/0.avi" -oac mp3lame -ovc lavc -lavcopts vqscale=3 -ofps 30 -vf scale=640:480)"));
        QCOMPARE(c.arguments, (QStringList{"/in/clip.mov", "-o", "/tmp/v/0.avi", "-oac", "mp3lame",
                                           "-ovc", "lavc", "-lavcopts", "vqscale=3", "-ofps", "30",
                                           "-vf", "scale=640:480"}));

        // Side by side, each run is held to one thread of each kind.
        const EncoderCommand held = withOneThreadEach(c);
        QCOMPARE(held.text, c.text + " -lavcopts threads=1 -lavdopts threads=1");
        QCOMPARE(held.arguments,
                 c.arguments + QStringList({"-lavcopts", "threads=1", "-lavdopts", "threads=1"}));
    }

    // The General Settings' shape and frame rate in the conversion and in one pass: the tail of
    // each line after the quality and after the profile's options.
    void shapeAndRate_data()
    {
        QTest::addColumn<bool>("keepShape");
        QTest::addColumn<QString>("frameRate");
        QTest::addColumn<QString>("aspect"); // the profile's
        QTest::addColumn<QString>("conversionTail");
        QTest::addColumn<QString>("onePassTail");
        const QString fit = "dsize=640:360:0,scale=0:0,expand=640:360";
        const QString fit43 = "dsize=640:480:0,scale=0:0,expand=640:480";
        QTest::newRow("stretched at 30")
            << false << "30" << QString() << " -ofps 30 -vf scale=640:360"
            << " -ofps 30";
        QTest::newRow("shape kept") << true << "30" << QString() << " -ofps 30 -vf " + fit
                                    << " -vf-pre " + fit + " -ofps 30";
        QTest::newRow("25") << false << "25" << QString() << " -ofps 25 -vf scale=640:360"
                            << " -ofps 25";
        QTest::newRow("23.976 exactly")
            << false << "23.976" << QString() << " -ofps 24000/1001 -vf scale=640:360"
            << " -ofps 24000/1001";
        QTest::newRow("29.97 exactly")
            << true << "29.97" << QString() << " -ofps 30000/1001 -vf " + fit
            << " -vf-pre " + fit + " -ofps 30000/1001";
        QTest::newRow("59.94 exactly")
            << false << "59.94" << QString() << " -ofps 60000/1001 -vf scale=640:360"
            << " -ofps 60000/1001";
        // A box shown at another shape than its pixels is filled at its display size, then
        // squeezed into its pixels.
        QTest::newRow("shown at 4:3") << true << "30"
                                      << "4:3"
                                      << " -ofps 30 -vf " + fit43 + ",scale=640:360"
                                      << " -vf-pre " + fit43 + ",scale=640:360 -ofps 30";
        QTest::newRow("shown at its own shape")
            << true << "30"
            << "16:9"
            << " -ofps 30 -vf " + fit << " -vf-pre " + fit + " -ofps 30";
        // Without a rate the encoder takes the first input's, in one pass and in the join of
        // the intermediates, whose first is the first video at its own rate.
        QTest::newRow("the first video's rate")
            << true << "First" << QString() << " -vf " + fit << " -vf-pre " + fit;
    }
    void shapeAndRate()
    {
        QFETCH(bool, keepShape);
        QFETCH(QString, frameRate);
        QFETCH(QString, aspect);
        QFETCH(QString, conversionTail);
        QFETCH(QString, onePassTail);
        const PictureRules rules{"640:360", keepShape, frameRate, aspect};
        const EncoderCommand conversion = conversionCommand({"/in/a.mov"}, "/t/0.avi", rules);
        QCOMPARE(conversion.text,
                 R"( "/in/a.mov" -o "/t/0.avi" -oac mp3lame -ovc lavc -lavcopts vqscale=3)" +
                     conversionTail);
        QCOMPARE(conversion.arguments.mid(9).join(' '), conversionTail.trimmed());
        const QString options = " -ovc lavc -vf scale=640:360";
        const EncoderCommand onePass =
            onePassJoinCommand({{"/in/a.mov"}, {"/in/b.avi"}}, "/out/film.avi", options, rules);
        QCOMPARE(onePass.text,
                 R"( "/in/a.mov" "/in/b.avi" -o "/out/film.avi" )" + options + onePassTail);
        QCOMPARE(onePass.arguments.mid(8).join(' '), onePassTail.trimmed());
    }

    void joinCommandText()
    {
        const QString options = " -ovc lavc -lavcopts vcodec=mpeg4:vbitrate=1200 -oac mp3lame";
        const EncoderCommand c = joinCommand({{intermediatePath("/T/", 0)},
                                              {intermediatePath("/T/", 1)},
                                              {intermediatePath("/T/", 2)}},
                                             "/out/film.avi", options);
        QCOMPARE(
            c.text,
            QString(
                R"( "/T/0.avi" "/T/1.avi" "/T/2.avi" -o "/out/film.avi"  -ovc lavc -lavcopts vcodec=mpeg4:vbitrate=1200 -oac mp3lame)"));
        QCOMPARE(c.arguments, (QStringList{"/T/0.avi", "/T/1.avi", "/T/2.avi", "-o",
                                           "/out/film.avi", "-ovc", "lavc", "-lavcopts",
                                           "vcodec=mpeg4:vbitrate=1200", "-oac", "mp3lame"}));

        // In one pass the originals are joined at the conversion's frame rate.
        const EncoderCommand onePass = onePassJoinCommand(
            {{"/in/a.mov"}, {"/in/b.avi"}}, "/out/film.avi", options, PictureRules{"640:480"});
        QCOMPARE(
            onePass.text,
            QString(
                R"( "/in/a.mov" "/in/b.avi" -o "/out/film.avi"  -ovc lavc -lavcopts vcodec=mpeg4:vbitrate=1200 -oac mp3lame -ofps 30)"));
        QCOMPARE(onePass.arguments.mid(10), (QStringList{"-ofps", "30"}));

        // A part of a file is an input in braces; the encoder counts its end from its start.
        const JobClip part{.path = "/in/a.mov", .inPoint = 5, .outPoint = 20.5};
        const EncoderCommand parts = joinCommand({part, {"/in/b.avi"}}, "/out/film.avi", "");
        QCOMPARE(parts.text,
                 QString(R"( { "/in/a.mov" -ss 5 -endpos 15.5 } "/in/b.avi" -o "/out/film.avi" )"));
        QCOMPARE(parts.arguments.mid(0, 8),
                 (QStringList{"{", "/in/a.mov", "-ss", "5", "-endpos", "15.5", "}", "/in/b.avi"}));
    }

    void pathsStayWholeArguments_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("blanks") << "/home/me/my film.avi";
        QTest::newRow("double quotes") << "/v/say \"hi\".avi";
        QTest::newRow("single quote") << "/v/it's.avi";
        QTest::newRow("shell characters") << "/v/$HOME;rm -rf x|y&.avi";
        QTest::newRow("leading dash") << "-o.avi";
        QTest::newRow("non-ASCII") << "/v/Jörg – 東京.avi";
    }
    void pathsStayWholeArguments()
    {
        QFETCH(QString, path);
        const EncoderCommand conversion =
            conversionCommand({path}, path + ".tmp.avi", PictureRules{"320:240"});
        QCOMPARE(conversion.arguments.at(0), path);
        QCOMPARE(conversion.arguments.at(2), path + ".tmp.avi");
        const EncoderCommand join = joinCommand({{path}, {"/t/1.avi"}}, path, " -ovc lavc");
        QCOMPARE(join.arguments.mid(0, 4), (QStringList{path, "/t/1.avi", "-o", path}));
    }

    void pictureSizeStaysOneWord()
    {
        QCOMPARE(conversionCommand({"a"}, "b", PictureRules{"640 :480"}).arguments.last(),
                 QString("scale=640 :480"));
        QCOMPARE(conversionCommand({"a"}, "b", PictureRules{"640 :480", true}).arguments.last(),
                 QString("dsize=640 :480:0,scale=0:0,expand=640 :480"));
        // A height worked out from the picture's own shape needs no bars.
        QCOMPARE(conversionCommand({"a"}, "b", PictureRules{"640:-2", true}).arguments.last(),
                 QString("scale=640:-2"));
    }
};

QTEST_GUILESS_MAIN(TestEncoderCommand)
#include "test_encoder_command.moc"

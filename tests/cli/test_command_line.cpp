#include "encoder/MediaFacts.h"
#include "job/RealProgram.h"
#include "support/Clips.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

class TestCommandLine : public QObject
{
    Q_OBJECT

    std::unique_ptr<ProgramCopy> m_program;
    QTemporaryDir m_outputs;
    // Two inputs long enough for a join that is still running when it is stopped: the profile
    // that re-encodes them into a larger H.264 picture takes seconds over them.
    QTemporaryDir m_longClips;
    QStringList m_longInputs;

    // The program copy's preferences with a question before overwriting, or without; Rename
    // rather than Overwrite.
    void setAsk(bool ask, bool rename = false) const
    {
        QDir().rmdir(m_program->preferencesPath()); // a row may have left a folder in its place
        m_program->writePreferences();
        QByteArray text =
            fileContents(m_program->preferencesPath()).replace("Ask=0", ask ? "Ask=1" : "Ask=0");
        if (rename)
            text.replace("Overwrite=1\r\nRename=0", "Overwrite=0\r\nRename=1");
        QFile file(m_program->preferencesPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QVERIFY(file.write(text) == text.size());
    }

    // Without a display, in a process group of its own as a terminal's foreground job is, and
    // with no terminal to answer on.
    static void prepare(QProcess& process)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        process.setProcessEnvironment(environment);
        process.setChildProcessModifier([] { ::setpgid(0, 0); });
        process.setStandardInputFile(QProcess::nullDevice());
    }

    struct Ended
    {
        int exitCode = -1;
        QString out;
        QString err;
    };

    // The bytes a shell passes for a word: U+DC80 + byte, as the program reads a byte that is not
    // UTF-8, is that byte again, which QProcess cannot pass.
    static QByteArray wordBytes(const QString& word)
    {
        QByteArray bytes;
        for (qsizetype at = 0, start = 0; at <= word.size(); ++at) {
            const bool lone = at < word.size() && word[at].isLowSurrogate() &&
                              (at == 0 || !word[at - 1].isHighSurrogate());
            if (at < word.size() && !lone)
                continue;
            bytes += word.mid(start, at - start).toUtf8();
            if (lone)
                bytes += static_cast<char>(word[at].unicode() - 0xDC00);
            start = at + 1;
        }
        return bytes;
    }
    static std::vector<char*> pointers(QList<QByteArray>& words)
    {
        std::vector<char*> all;
        for (QByteArray& word : words)
            all.push_back(word.data());
        all.push_back(nullptr);
        return all;
    }

    Ended run(const QStringList& arguments, const QByteArray& standardInput = {}) const
    {
        QProcess process;
        prepare(process);
        if (!standardInput.isEmpty())
            process.setStandardInputFile(QString()); // a pipe, written below
        QList<QByteArray> words{QFile::encodeName(m_program->executable())};
        for (const QString& argument : arguments)
            words << wordBytes(argument);
        QList<QByteArray> environment;
        for (const QString& variable : process.processEnvironment().toStringList())
            environment << variable.toLocal8Bit();
        const std::vector<char*> argv = pointers(words);
        const std::vector<char*> envp = pointers(environment);
        process.setChildProcessModifier([&argv, &envp] {
            ::setpgid(0, 0);
            ::execve(argv[0], argv.data(), envp.data());
        });
        process.start(m_program->executable(), arguments);
        if (!standardInput.isEmpty() && process.waitForStarted(30000)) {
            process.write(standardInput);
            process.closeWriteChannel();
        }
        if (!process.waitForFinished(120000))
            process.kill();
        Ended ended;
        ended.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        ended.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        ended.err = QString::fromLocal8Bit(process.readAllStandardError());
        return ended;
    }

private slots:
    void initTestCase()
    {
        m_program = std::make_unique<ProgramCopy>(programDirectory());
        QVERIFY(m_program->isValid());
        QVERIFY(
            QFile::copy(programDirectory() + QStringLiteral("vantomel"), m_program->executable()));
        QVERIFY(m_outputs.isValid() && m_longClips.isValid());
        const QString first = m_longClips.filePath(QStringLiteral("long0.avi"));
        QProcess ffmpeg;
        ffmpeg.start(QStringLiteral("ffmpeg"),
                     {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"),
                      QStringLiteral("lavfi"), QStringLiteral("-i"),
                      QStringLiteral("testsrc=size=640x480:rate=30:duration=10"),
                      QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                      QStringLiteral("sine=sample_rate=44100:duration=10"), QStringLiteral("-c:v"),
                      QStringLiteral("mpeg4"), QStringLiteral("-c:a"), QStringLiteral("libmp3lame"),
                      first});
        QVERIFY(ffmpeg.waitForFinished(120000) && ffmpeg.exitCode() == 0);
        const QString second = m_longClips.filePath(QStringLiteral("long1.avi"));
        QVERIFY(QFile::copy(first, second));
        m_longInputs = QStringList{first, second};
    }

    // What ends a run before any job runs: the code, and the text on the stream it belongs to.
    // An existing output is left as it was.
    void endsWithItsCodeAndText_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("ask");
        QTest::addColumn<bool>("preferencesUnread");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("stdoutText");
        QTest::addColumn<QString>("stderrText");

        const QString output = m_outputs.filePath(QStringLiteral("existing.avi"));
        const QStringList join{QStringLiteral("--join"), QStringLiteral("--profile"),
                               QStringLiteral("AVI - MPEG-4 and MP3"), QStringLiteral("-o"),
                               output};
        const QString avi = clipPath(QStringLiteral("clip.avi"));
        const QString mp4 = clipPath(QStringLiteral("clip.mp4"));
        const QString byteFF = QChar(0xDCFF); // as the program reads a byte that is not UTF-8
        QTest::newRow("help") << QStringList{QStringLiteral("--help")} << false << false << 0
                              << "Usage: vantomel --join"
                              << "";
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("--bogus")} << false << false << 64 << ""
            << "Unknown option 'bogus'.";
        QTest::newRow("no output")
            << QStringList{QStringLiteral("--join"), avi, mp4} << false << false << 64 << ""
            << "--join needs -o OUTPUT";
        QTest::newRow("one input")
            << (join + QStringList{avi}) << false << false << 3 << ""
            << "Add More Videos: Please add at least 2 videos to the task for joining.";
        QTest::newRow("no terminal to answer")
            << (join + QStringList{avi, mp4}) << true << false << 3 << ""
            << "existent. Do you want to continue and overwrite it? Answer \"n\" to specify";
        QTest::newRow("no video") << (join + QStringList{avi, clipPath(QStringLiteral("text.avi"))})
                                  << false << false << 1 << ""
                                  << "Not a Video: '" + clipPath("text.avi");
        QTest::newRow("output named twice")
            << (join + QStringList{QStringLiteral("-o"), m_outputs.filePath("other.avi"), avi, mp4})
            << false << false << 64 << ""
            << "-o OUTPUT is given more than once";
        QTest::newRow("output name not UTF-8")
            << QStringList{QStringLiteral("--join"), QStringLiteral("-o"),
                           m_outputs.filePath("out" + byteFF + ".avi"), avi, mp4}
            << false << false << 64 << ""
            << "the output name is not valid UTF-8";
        QTest::newRow("input name not UTF-8")
            << (join + QStringList{avi, clipPath("clip" + byteFF + ".mp4")}) << false << false << 1
            << ""
            << "cannot be read as a video: its name is not valid UTF-8.";
        QTest::newRow("input name holding U+FFFD")
            << (join + QStringList{avi, clipPath(QStringLiteral("clip\uFFFD.mp4"))}) << false
            << false << 1 << ""
            << "cannot be read as a video: no such file.";
        QTest::newRow("empty profile name") << QStringList{QStringLiteral("--join"),
                                                           QStringLiteral("--profile"),
                                                           QString(),
                                                           QStringLiteral("-o"),
                                                           output,
                                                           avi,
                                                           mp4}
                                            << false << false << 64 << ""
                                            << "--profile needs a name";
        QTest::newRow("empty output")
            << QStringList{QStringLiteral("--join"), QStringLiteral("-o"), QString(), avi, mp4}
            << false << false << 64 << ""
            << "the output name is empty";
        QTest::newRow("output a folder")
            << QStringList{QStringLiteral("--join"), QStringLiteral("-o"), m_outputs.path(), avi,
                           mp4}
            << false << false << 64 << ""
            << "is a folder; name a file in it";
        QTest::newRow("output name only dots")
            << QStringList{QStringLiteral("--join"), QStringLiteral("-o"),
                           m_outputs.filePath(QStringLiteral("new/...")), avi, mp4}
            << false << false << 64 << ""
            << "/new/...' names no file";
        QTest::newRow("--no-overwrite over Overwrite")
            << (join + QStringList{QStringLiteral("-n"), avi, mp4}) << false << false << 3 << ""
            << "File Exists: " + output + " exists, and --no-overwrite keeps it.";
        QTest::newRow("both -y and -n")
            << (join + QStringList{QStringLiteral("-y"), QStringLiteral("-n"), avi, mp4}) << false
            << false << 64 << ""
            << "--overwrite and --no-overwrite cannot go together";
        QTest::newRow("frame rate not offered")
            << (join +
                QStringList{QStringLiteral("--frame-rate"), QStringLiteral("0.001"), avi, mp4})
            << false << false << 64 << ""
            << "--frame-rate takes 23.976 to 60, or First, not '0.001'";
        QTest::newRow("job list not read")
            << (join + QStringList{QStringLiteral("--list"), m_outputs.filePath("none.tmp"), avi})
            << false << false << 1 << ""
            << "none.tmp was not read: no such file.";
        QTest::newRow("no display for the window") << QStringList{avi} << false << false << 1 << ""
                                                   << "no display to open the window on";
        QTest::newRow("both ways of joining")
            << (join +
                QStringList{QStringLiteral("--one-pass"), QStringLiteral("--two-stages"), avi, mp4})
            << false << false << 64 << ""
            << "--one-pass and --two-stages cannot go together";
        // Shared profiles: the shipped one with a line changed.
        const auto sharedProfile = [this](const QString& name, const QByteArray& from,
                                          const QByteArray& to) {
            const QString path = m_outputs.filePath(name + QStringLiteral(".bpf"));
            QFile file(path);
            if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                file.write(fileContents(programDirectory() +
                                        QStringLiteral("Profiles/AVI - MPEG-4 and MP3.bpf"))
                               .replace(from, to));
            return QStringList{QStringLiteral("--join"),
                               QStringLiteral("--profile"),
                               path,
                               QStringLiteral("-o"),
                               m_outputs.filePath(QStringLiteral("new.avi")),
                               clipPath(QStringLiteral("clip.avi")),
                               clipPath(QStringLiteral("clip.mp4"))};
        };
        QTest::newRow("profile value naming another output")
            << sharedProfile("Shared", "Caption1=44100", "Caption1=44100 -o " + output.toUtf8())
            << false << false << 3 << ""
            << "Invalid Profile: The profile Shared cannot be used: Caption1 in [Sample Rate] is "
               "not a number: \"44100 -o " +
                   output + "\".";
        QTest::newRow("profile selecting no bitrate")
            << sharedProfile("Damaged", "Caption11=8000\nIndex=3", "Caption11=8000") << false
            << false << 3 << ""
            << "Invalid Profile: The profile Damaged cannot be used: [Video Bitrate] selects none "
               "of its choices.";
        // --check runs the join's own checks, the encoder's included, and writes nothing.
        const QString copy = QStringLiteral("MP4 - Same as the videos (no re-encoding)");
        const QStringList check{QStringLiteral("--check"), QStringLiteral("-o"),
                                m_outputs.filePath(QStringLiteral("existing"))};
        const QString cannotCopy =
            "Videos Cannot Be Copied: clip.mp4 has h264 video; clip.avi has mpeg4 video.";
        for (const QString& mode : {QStringLiteral("--join"), QStringLiteral("--check")})
            QTest::addRow("%s: videos a copy cannot join", qPrintable(mode))
                << QStringList{mode,
                               QStringLiteral("--profile"),
                               copy,
                               QStringLiteral("-o"),
                               m_outputs.filePath(QStringLiteral("copied.mp4")),
                               avi,
                               mp4}
                << false << false << 3 << "" << cannotCopy;
        QTest::newRow("--check -y: the plan, the output kept")
            << (check + QStringList{QStringLiteral("-y"), QStringLiteral("--profile"),
                                    QStringLiteral("AVI - MPEG-4 and MP3"), avi, mp4})
            << false << false << 0
            << "Output: " + output + "\nThe output exists: the join would replace it.\n"
            << "";
        QTest::newRow("--check -n")
            << (check + QStringList{QStringLiteral("-n"), QStringLiteral("--profile"),
                                    QStringLiteral("AVI - MPEG-4 and MP3"), avi, mp4})
            << false << false << 3 << ""
            << "File Exists: " + output + " exists, and --no-overwrite keeps it.";
        QTest::newRow("--check --json: refused")
            << (check +
                QStringList{QStringLiteral("--json"), QStringLiteral("--profile"), copy, avi, mp4})
            << false << false << 3
            << "\"caption\":\"Videos Cannot Be Copied\",\"kind\":\"info\",\"text\":\"clip.mp4 "
               "has h264 video; clip.avi has mpeg4 video.\\n"
            << "";
        // A part of a video, in braces: wrong words are wrong usage, found before any probe.
        const auto group = [&](const QStringList& words) {
            return join + QStringList{QStringLiteral("{"), avi} + words + QStringList{mp4};
        };
        const QString notATime =
            "-ss takes seconds (5, 5.25) or hh:mm:ss.fff (00:01:02.345), not '1:x'";
        QTest::newRow("a group not closed") << group({"-ss", "1"}) << false << false << 64 << ""
                                            << "a { is not closed by }";
        QTest::newRow("two files in a group")
            << group({mp4, "}"}) << false << false << 64 << ""
            << "a group holds one video, and '" + mp4 + "' follows '" + avi + "'";
        QTest::newRow("a time that is none")
            << group({"-ss", "1:x", "}"}) << false << false << 64 << "" << notATime;
        QTest::newRow("-endpos 0") << group({"-endpos", "0", "}"}) << false << false << 64 << ""
                                   << "-endpos takes a length above 0, not '0'";
        QTest::newRow("-endpos negative")
            << group({"-ss", "1", "-endpos", "-0.5", "}"}) << false << false << 64 << ""
            << "-endpos takes a length above 0, not '-0.5'";
        QTest::newRow("an in point at the end")
            << group({"-ss", "00:00:02", "}"}) << false << false << 64 << ""
            << "'" + avi + "': its in point 00:00:02.000 is at or past its end, 00:00:02.000";
        const QString parts = m_outputs.filePath(QStringLiteral("parts.tmp"));
        QFile partsFile(parts);
        if (partsFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
            partsFile.write(("{ " + avi + " -ss 1:x }\n").toUtf8());
        QTest::newRow("a job list's group that is none")
            << (join + QStringList{QStringLiteral("--list"), parts, mp4}) << false << false << 1
            << "" << notATime;
        // The part reaches the job's rows, as the plan shows them.
        const QStringList trimmed = check + QStringList{QStringLiteral("-y"),
                                                        QStringLiteral("--profile"),
                                                        QStringLiteral("AVI - MPEG-4 and MP3"),
                                                        "{",
                                                        avi,
                                                        "-ss",
                                                        "0.5",
                                                        "-endpos",
                                                        "00:00:01",
                                                        "}",
                                                        mp4};
        QTest::newRow("--check: a part of a video")
            << trimmed << false << false << 0 << "320x240  from 00:00:00.500 to 00:00:01.500\n"
            << "";
        QTest::newRow("--check --json: a part of a video")
            << (trimmed + QStringList{QStringLiteral("--json")}) << false << false << 0
            << "{\"in\":0.5,\"length\":\"00:00:02\",\"out\":1.5,\"path\":\"" + avi << "";
        QTest::newRow("preferences not read")
            << (join + QStringList{avi}) << false << true << 3 << ""
            << "Preferences Not Read: Preferences.ini was not read: it is a folder";
    }

    void endsWithItsCodeAndText()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, ask);
        QFETCH(bool, preferencesUnread);
        QFETCH(int, exitCode);
        QFETCH(QString, stdoutText);
        QFETCH(QString, stderrText);
        setAsk(ask);
        if (preferencesUnread)
            QVERIFY(QFile::remove(m_program->preferencesPath()) &&
                    QDir().mkdir(m_program->preferencesPath()));
        const QString output = m_outputs.filePath(QStringLiteral("existing.avi"));
        QFile::remove(output);
        QVERIFY(QFile::copy(clipPath(QStringLiteral("clip.wmv")), output));
        const QByteArray before = fileContents(output);

        const Ended ended = run(arguments);
        QVERIFY2(ended.out.contains(stdoutText), qPrintable(ended.out));
        QVERIFY2(ended.err.contains(stderrText), qPrintable(ended.err));
        QCOMPARE(ended.exitCode, exitCode);
        QVERIFY(fileContents(output) == before);
        QCOMPARE(m_program->leftInTempDir(), QStringList());
    }

    // A join's inputs however they are named, its output however it is chosen; standard output
    // holds the path written and nothing else.
    void joinsWithoutAWindow_data()
    {
        QTest::addColumn<QStringList>("inputs");
        QTest::addColumn<QByteArray>("standardInput");
        QTest::addColumn<bool>("outputExists");
        QTest::addColumn<bool>("rename");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("output");

        const QString avi = clipPath(QStringLiteral("clip.avi"));
        const QString mp4 = clipPath(QStringLiteral("clip.mp4"));
        const QString folder = m_outputs.filePath(QStringLiteral("two clips"));
        QDir().mkpath(folder);
        QFile::copy(avi, folder + QStringLiteral("/a.avi"));
        QFile::copy(mp4, folder + QStringLiteral("/b.mp4"));
        const QString list = m_outputs.filePath(QStringLiteral("list.tmp"));
        QFile listFile(list);
        if (listFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
            listFile.write("two clips/a.avi\r\n\r\ntwo clips/b.mp4\r\n");
        QTest::newRow("two files")
            << QStringList{avi, mp4} << QByteArray() << false << false << "joined.avi"
            << "";
        QTest::newRow("a folder's videos")
            << QStringList{folder} << QByteArray() << false << false << "joined.avi"
            << "";
        QTest::newRow("a job list, names from its folder")
            << QStringList{QStringLiteral("--list"), list} << QByteArray() << false << false
            << "joined.avi"
            << "";
        QTest::newRow("names on standard input")
            << QStringList{QStringLiteral("-")} << (avi + '\n' + mp4 + '\n').toUtf8() << false
            << false << "joined.avi"
            << "";
        QTest::newRow("-y over the question") << QStringList{QStringLiteral("-y"), avi, mp4}
                                              << QByteArray() << true << false << "joined.avi"
                                              << "";
        QTest::newRow("--size over the profile's")
            << QStringList{QStringLiteral("--size"), QStringLiteral("160x120"), avi, mp4}
            << QByteArray() << false << false << "joined.avi"
            << "";
        QTest::newRow("-q: no completion message") << QStringList{QStringLiteral("-q"), avi, mp4}
                                                   << QByteArray() << false << false << "joined.avi"
                                                   << "";
        QTest::newRow("-v: each encoder run") << QStringList{QStringLiteral("-v"), avi, mp4}
                                              << QByteArray() << false << false << "joined.avi"
                                              << "";
        QTest::newRow("Rename: the renamed path")
            << QStringList{avi, mp4} << QByteArray() << true << true << "joined_1.avi"
            << "";
        // A name that JSON has to escape, renamed: the end event names the file written.
        QTest::newRow("--json: JSON Lines, the end naming the renamed path")
            << QStringList{QStringLiteral("--json"), QStringLiteral("-q"), avi, mp4} << QByteArray()
            << true << true << R"(say "hi"\_1.avi)"
            << R"(say "hi"\.avi)";
    }

    void joinsWithoutAWindow()
    {
        QFETCH(QStringList, inputs);
        QFETCH(QByteArray, standardInput);
        QFETCH(bool, outputExists);
        QFETCH(bool, rename);
        QFETCH(QString, written);
        QFETCH(QString, output);
        setAsk(!rename, rename); // -y answers the question; Rename writes beside without one
        output = m_outputs.filePath(output.isEmpty() ? QStringLiteral("joined.avi") : output);
        QFile::remove(output);
        QFile::remove(m_outputs.filePath(written));
        if (outputExists)
            QVERIFY(QFile::copy(clipPath(QStringLiteral("clip.wmv")), output));
        const Ended ended =
            run(QStringList{QStringLiteral("--join"), QStringLiteral("--profile"),
                            QStringLiteral("AVI - MPEG-4 and MP3"), QStringLiteral("-o"), output} +
                    inputs,
                standardInput);
        QVERIFY2(ended.exitCode == 0, qPrintable(ended.err));
        if (inputs.contains(QStringLiteral("--json"))) {
            QJsonObject event;
            for (const QString& line : ended.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
                QJsonParseError error{};
                event = QJsonDocument::fromJson(line.toUtf8(), &error).object();
                QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(line));
            }
            QCOMPARE(event.value("event"), QJsonValue("end"));
            QCOMPARE(event.value("output"), QJsonValue(m_outputs.filePath(written)));
            QCOMPARE(event.value("remarks"), QJsonValue(QJsonArray()));
            QVERIFY(qAbs(event.value("output_length").toDouble() - 4.0) < 0.2);
            QCOMPARE(ended.err, QString());
        } else {
            QCOMPARE(ended.out, m_outputs.filePath(written) + QLatin1Char('\n'));
            QCOMPARE(ended.err.contains(QStringLiteral("Complete: The joining is completed")),
                     !inputs.contains(QStringLiteral("-q")));
        }
        QCOMPARE(ended.err.contains(QStringLiteral("=== Run 1: ")),
                 inputs.contains(QStringLiteral("-v")));
        const MediaFacts facts = readMediaFacts(m_outputs.filePath(written));
        QVERIFY(facts.opened && facts.video.present && facts.audio.present);
        QVERIFY2(qAbs(facts.video.duration - 4.0) < 0.2,
                 qPrintable(QString::number(facts.video.duration)));
        QCOMPARE(facts.video.width, inputs.contains(QStringLiteral("--size")) ? 160 : 640);
        QCOMPARE(m_program->leftInTempDir(), QStringList());
    }

    // A reader that goes away ("| head -c 1") does not end a join that goes on printing its
    // progress.
    void aClosedOutputDoesNotEndTheJoin()
    {
        setAsk(false);
        const QString output = m_outputs.filePath(QStringLiteral("read by head.mp4"));
        QProcess shell;
        prepare(shell);
        const QStringList script{
            QStringLiteral("-c"),
            QStringLiteral("\"$0\" \"$@\" 2>&1 | head -c 1 >/dev/null; exit ${PIPESTATUS[0]}"),
            m_program->executable(),
            QStringLiteral("--join"),
            QStringLiteral("--profile"),
            QStringLiteral("MP4 - H.264 and AAC"),
            QStringLiteral("-o"),
            output};
        shell.start(QStringLiteral("bash"), script + m_longInputs);
        QVERIFY2(shell.waitForFinished(120000), "the join did not end within 120 s");
        QCOMPARE(shell.exitCode(), 0);
        QVERIFY(QFileInfo(output).size() > 0);
        QCOMPARE(m_program->leftInTempDir(), QStringList());
    }

    // A join whose check finds a fault ends with a code of its own: here a copy of a clip whose
    // sound stops 0.4 s before its picture, which the join's end keeps.
    void aFaultyJoinEndsWithItsOwnCode()
    {
        setAsk(false);
        const QString clip = QDir(QStringLiteral(VANTOMEL_ENCODER_CLIPS))
                                 .filePath(QStringLiteral("short-sound.mp4"));
        const QString again = m_outputs.filePath(QStringLiteral("short sound again.mp4"));
        QVERIFY(QFile::copy(clip, again));
        const Ended ended =
            run({QStringLiteral("--join"), QStringLiteral("--profile"),
                 QStringLiteral("MP4 - Same as the videos (no re-encoding)"), QStringLiteral("-o"),
                 m_outputs.filePath(QStringLiteral("short sound joined.mp4")), clip, again});
        QVERIFY2(ended.err.contains(QStringLiteral(
                     "The sound of the joined video ends 0.38 s before its picture.")),
                 qPrintable(ended.out + ended.err));
        QCOMPARE(ended.exitCode, 4);
    }

    // --exact-cuts lets the copy's encoder run put the parameter sets in the stream.
    void exactCutsReachTheCopysEncoderRun()
    {
        setAsk(false);
        const QDir clips(QStringLiteral(VANTOMEL_ENCODER_CLIPS));
        const Ended ended =
            run({QStringLiteral("--join"), QStringLiteral("--profile"),
                 QStringLiteral("MP4 - Same as the videos (no re-encoding)"),
                 QStringLiteral("--exact-cuts"), QStringLiteral("-v"), QStringLiteral("-o"),
                 m_outputs.filePath(QStringLiteral("exact cuts.mp4")),
                 clips.filePath(QStringLiteral("copy-a.mp4")),
                 clips.filePath(QStringLiteral("copy-b.mp4"))});
        QVERIFY2(ended.exitCode == 0, qPrintable(ended.err));
        QVERIFY2(ended.err.contains(QStringLiteral(" -inbandsets")), qPrintable(ended.err));
    }

    // A job that fails names the encoder's log it kept: a profile whose sample rate the MP3
    // encoder refuses only once it has the sound before it.
    void aFailedJoinNamesItsLog()
    {
        setAsk(false);
        const QString profile = m_outputs.filePath(QStringLiteral("96 kHz.bpf"));
        QFile file(profile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(fileContents(m_program->directory() + "Profiles/AVI - MPEG-4 and MP3.bpf")
                       .replace("Caption1=44100", "Caption1=96000"));
        file.close();
        const QString output = m_outputs.filePath(QStringLiteral("never.avi"));
        const Ended ended = run({QStringLiteral("--join"), QStringLiteral("--profile"), profile,
                                 QStringLiteral("-o"), output, clipPath(QStringLiteral("clip.avi")),
                                 clipPath(QStringLiteral("clip.mp4"))});
        QCOMPARE(ended.exitCode, 1);
        const QStringList logs = m_program->keptLogs();
        QCOMPARE(logs.size(), 1);
        QVERIFY2(
            ended.err.endsWith("Error: The joining failed.\nThe libmp3lame encoder cannot take "
                               "audio at 96000 Hz.\nThe encoder's log is kept in " +
                               logs.first() + '\n'),
            qPrintable(ended.err));
        QVERIFY(fileContents(logs.first()).contains("96000 Hz"));
        QVERIFY(!QFileInfo::exists(output));
        m_program->removeKeptLogs();
        QCOMPARE(m_program->leftInTempDir(), QStringList());
    }

    // Ctrl+C, or a closed terminal's SIGHUP, reaches the whole foreground group, the program and
    // what it started; the join stops as Stop stops it, the output that stood there stays byte
    // for byte and the job's folder goes. At the question before overwriting, asked on a
    // terminal, the run is stopped too, not refused.
    void aSignalStopsTheJoinAndKeepsTheOutput_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("asked");
        QTest::newRow("Ctrl+C") << int(SIGINT) << false;
        QTest::newRow("closed terminal") << int(SIGHUP) << false;
        QTest::newRow("Ctrl+C at the question") << int(SIGINT) << true;
    }

    void aSignalStopsTheJoinAndKeepsTheOutput()
    {
        QFETCH(int, signal);
        QFETCH(bool, asked);
        setAsk(asked);
        const QString output = m_outputs.filePath(QStringLiteral("kept.mp4"));
        QFile::remove(output);
        QVERIFY(QFile::copy(clipPath(QStringLiteral("clip.mp4")), output));
        const QByteArray before = fileContents(output);
        const QStringList outputFolder = folderEntries(m_outputs.path());

        QProcess process;
        prepare(process);
        // The question waits for an answer on a terminal of its own.
        const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(terminal >= 0 && ::grantpt(terminal) == 0 && ::unlockpt(terminal) == 0);
        const int input = ::open(::ptsname(terminal), O_RDWR | O_NOCTTY);
        const auto closeTerminal = qScopeGuard([&] {
            ::close(input);
            ::close(terminal);
        });
        if (asked)
            process.setChildProcessModifier([input] {
                ::setpgid(0, 0);
                ::dup2(input, STDIN_FILENO);
            });
        process.start(m_program->executable(),
                      QStringList{QStringLiteral("--join"), QStringLiteral("--profile"),
                                  QStringLiteral("MP4 - H.264 and AAC"), QStringLiteral("-o"),
                                  output} +
                          m_longInputs);
        QVERIFY(process.waitForStarted(30000));
        process.setReadChannel(QProcess::StandardError);
        // The job runs once its clock has ticked: a progress line; or the question is asked.
        const QByteArray awaited = asked ? "[y/N]" : "%";
        QByteArray progress;
        QDeadlineTimer deadline(60000);
        while (!progress.contains(awaited) && process.state() == QProcess::Running &&
               !deadline.hasExpired())
            if (process.waitForReadyRead(1000))
                progress += process.readAllStandardError();
        QVERIFY2(progress.contains(awaited), "neither progress nor the question within 60 s");
        QCOMPARE(::kill(-pid_t(process.processId()), signal), 0);
        QVERIFY2(process.waitForFinished(30000), "not ended 30 s after the signal");

        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        const QString err = QString::fromLocal8Bit(progress + process.readAllStandardError());
        QVERIFY2(process.exitCode() == 2, qPrintable(err));
        QVERIFY(err.contains(QStringLiteral("Cancel: The")));
        QVERIFY(fileContents(output) == before);
        QCOMPARE(folderEntries(m_outputs.path()), outputFolder);
        QCOMPARE(m_program->leftInTempDir(), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_command_line.moc"

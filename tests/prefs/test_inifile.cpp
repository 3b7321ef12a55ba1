#include "prefs/IniFile.h"
#include "prefs/IntegerText.h"
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The test program run as a child: reads an ini file, prints what it read and why not, then
// changes a key and saves. A reader that fills memory fails at 1 GB instead of taking the
// machine's.
const QString kReadAndSave = QStringLiteral("--read-and-save");

int readAndSave(const QString& path)
{
    const struct rlimit memory = {1024L * 1024 * 1024, 1024L * 1024 * 1024};
    setrlimit(RLIMIT_AS, &memory);
    QElapsedTimer timer;
    timer.start();
    IniFile ini(path);
    const qint64 readMs = timer.elapsed();
    std::printf("value=%s\nwhy=%s\n", qPrintable(ini.readString("S", "K", "d")),
                qPrintable(ini.notReadReason()));
    ini.setString("S", "K", "written");
    try {
        ini.save();
        std::printf("saved\n");
    } catch (const IniWriteError&) {
        std::printf("refused\n");
    }
    std::printf("%lld\n", readMs);
    return 0;
}

} // namespace

class TestIniFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString fileWith(const QByteArray& content, const QString& name = QStringLiteral("t.ini"))
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(content);
        return path;
    }
    static QByteArray contentOf(const QString& path)
    {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }
    // What is at the path, without following a link or opening a pipe: its kind, its size, the
    // target of a link and the first bytes of a regular file.
    static QString snapshot(const QString& path)
    {
        struct stat info;
        if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
            return QStringLiteral("missing");
        QString text = QStringLiteral("mode %1 size %2").arg(info.st_mode).arg(info.st_size);
        if (S_ISLNK(info.st_mode))
            text += " to " + QFileInfo(path).symLinkTarget();
        if (S_ISREG(info.st_mode)) {
            QFile file(path);
            file.open(QIODevice::ReadOnly);
            text += " starting " + QString::fromLatin1(file.read(64).toHex());
        }
        return text;
    }

private slots:
    void integerForms_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("value");
        QTest::newRow("decimal") << "42" << true << 42;
        QTest::newRow("negative") << "-5" << true << -5;
        QTest::newRow("plus") << "+7" << true << 7;
        QTest::newRow("leading blanks") << "   12" << true << 12;
        QTest::newRow("dollar hex") << "$1F" << true << 31;
        QTest::newRow("0x hex") << "0x1" << true << 1;
        QTest::newRow("0X hex") << "0X1a" << true << 26;
        QTest::newRow("x hex") << "x10" << true << 16;
        QTest::newRow("negative hex") << "-$10" << true << -16;
        QTest::newRow("hex wraps") << "$FFFFFFFF" << true << -1;
        QTest::newRow("max") << "2147483647" << true << 2147483647;
        QTest::newRow("min") << "-2147483648" << true << int(-2147483648LL);
        QTest::newRow("too big") << "2147483648" << false << 0;
        QTest::newRow("hex too big") << "$100000000" << false << 0;
        QTest::newRow("yes") << "yes" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("blanks only") << "  " << false << 0;
        QTest::newRow("sign only") << "-" << false << 0;
        QTest::newRow("prefix only") << "$" << false << 0;
        QTest::newRow("trailing blank") << "12 " << false << 0;
        QTest::newRow("trailing text") << "12abc" << false << 0;
        QTest::newRow("hex digits in decimal") << "1F" << false << 0;
        QTest::newRow("fraction") << "1.5" << false << 0;
        QTest::newRow("arabic digits") << QString::fromUtf8("\xd9\xa3") << false << 0;
    }
    void integerForms()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(int, value);
        const auto parsed = parseIntegerText(text);
        QCOMPARE(parsed.has_value(), valid);
        if (valid)
            QCOMPARE(*parsed, value);
    }

    void namesMatchWithoutCaseAndValuesAreCleaned()
    {
        const QString path = fileWith("[main]\r\n"
                                      "  output FILE  =   \"/tmp/a b.avi\"  \r\n"
                                      "Single='quoted'\r\n"
                                      "Unbalanced=\"half\r\n"
                                      "Inner=a \"b\" c\r\n"
                                      "Empty=\r\n"
                                      "Output File=second wins not\r\n");
        const IniFile ini(path);
        QCOMPARE(ini.readString("Main", "Output File", "d"), QString("/tmp/a b.avi"));
        QCOMPARE(ini.readString("MAIN", "single", "d"), QString("quoted"));
        QCOMPARE(ini.readString("Main", "Unbalanced", "d"), QString("\"half"));
        QCOMPARE(ini.readString("Main", "Inner", "d"), QString("a \"b\" c"));
        // An empty value is a value; only an absent key takes the default.
        QCOMPARE(ini.readString("Main", "Empty", "d"), QString());
        QVERIFY(ini.valueExists("Main", "Empty"));
        QCOMPARE(ini.readString("Main", "Absent", "d"), QString("d"));
        QVERIFY(!ini.valueExists("Main", "Absent"));
        QCOMPARE(ini.readString("Other", "Output File", "d"), QString("d"));
    }

    void keysBelongToTheirSection()
    {
        const QString path =
            fileWith("Stray=1\n[A]\nKey=a\n; Key=comment\n[B]\nKey=b\n[a]\nKey=dup\n");
        const IniFile ini(path);
        QCOMPARE(ini.readString("A", "Key", ""), QString("a"));
        QCOMPARE(ini.readString("B", "Key", ""), QString("b"));
        QCOMPARE(ini.readString("A", "Stray", "none"), QString("none"));
    }

    // Lines are told apart by their bytes when they start with an ASCII character; any other
    // line is decoded first, and must come out the same.
    void linesStartingOutsideAscii_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("no-break space before a key")
            << QByteArray("[Main]\n\xc2\xa0 Ask=1\n") << "Ask"
            << "1";
        QTest::newRow("wide space before a header")
            << QByteArray("[A]\nAsk=0\n\xe3\x80\x80[Main]\nAsk=1\n") << "Ask"
            << "1";
        QTest::newRow("key in another script, other case")
            << QByteArray("[Main]\n\xc3\x84rger=1\n") << QString::fromUtf8("\xc3\xa4RGER") << "1";
        QTest::newRow("byte-order mark of the file")
            << QByteArray("\xef\xbb\xbf[Main]\nAsk=1\n") << "Ask"
            << "1";
        // Inside the file the mark is a character like any other: no header, no section.
        QTest::newRow("byte-order mark inside")
            << QByteArray("[A]\n\xef\xbb\xbf[Main]\nAsk=1\n") << "Ask"
            << "absent";
    }
    void linesStartingOutsideAscii()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QCOMPARE(IniFile(fileWith(content)).readString("MAIN", key, "absent"), value);
    }

    void longValuesAreCutAt2047()
    {
        const QByteArray longValue(5000, 'v');
        const QString path = fileWith("[S]\nK=" + longValue + "\n");
        QCOMPARE(IniFile(path).readString("S", "K", "").size(), 2047);
    }

    void integersAndBooleansFallBack()
    {
        const QString path = fileWith("[S]\nHex=$1F\nYes=yes\nEmpty=\nTwo=2\nZero=0\nOx=0x1\n");
        const IniFile ini(path);
        QCOMPARE(ini.readInteger("S", "Hex", 0), 31);
        QCOMPARE(ini.readInteger("S", "Yes", 9), 9);
        QCOMPARE(ini.readInteger("S", "Empty", 9), 9);
        QCOMPARE(ini.readBool("S", "Yes", false), false);
        QCOMPARE(ini.readBool("S", "Yes", true), true);
        QCOMPARE(ini.readBool("S", "Two", false), true);
        QCOMPARE(ini.readBool("S", "Zero", true), false);
        QCOMPARE(ini.readBool("S", "Ox", false), true);
    }

    // What each kind of bad file reads as, and whether a save then writes it. Anything but a
    // regular file within the size limit is not read at all: a named pipe would block the
    // reader, a link to a device fill its memory. Each is read in a process of its own, with a
    // deadline and a memory limit, so that a reader that waits or grows fails the test instead
    // of hanging it or the machine.
    void badFilesGiveDefaults_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("why");
        QTest::addColumn<bool>("written");
        QTest::newRow("missing") << "missing"
                                 << "" << true;
        QTest::newRow("empty") << "empty"
                               << "" << true;
        QTest::newRow("binary") << "binary"
                                << "" << true;
        QTest::newRow("folder") << "folder"
                                << "it is a folder, not a file" << false;
        QTest::newRow("named pipe") << "pipe"
                                    << "it is a named pipe, not a regular file" << false;
        QTest::newRow("link to /dev/zero")
            << "zero"
            << "it is a link to a device, not a regular file" << false;
        QTest::newRow("sparse file beyond 64 MB") << "sparse"
                                                  << "it is larger than 64 MB" << false;
    }
    void badFilesGiveDefaults()
    {
        QFETCH(QString, kind);
        QFETCH(QString, why);
        QFETCH(bool, written);
        const QString path = m_dir.filePath(kind + ".ini");
        if (kind == "empty") {
            fileWith("", kind + ".ini");
        } else if (kind == "binary") {
            QByteArray binary;
            for (int i = 0; i < 4096; ++i)
                binary.append(char(i * 7 % 256));
            fileWith(binary, kind + ".ini");
        } else if (kind == "folder") {
            QVERIFY(QDir().mkdir(path));
        } else if (kind == "pipe") {
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        } else if (kind == "zero") {
            QVERIFY(QFile::link("/dev/zero", path));
        } else if (kind == "sparse") {
            // A key that must not be read, then a hole up to one byte beyond the limit.
            fileWith("[S]\nK=read\n", kind + ".ini");
            QVERIFY(QFile::resize(path, kWholeFileMaxBytes + 1));
        }
        const QString before = snapshot(path);

        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {kReadAndSave, path});
        if (!child.waitForFinished(10000)) {
            child.kill();
            child.waitForFinished();
            QFAIL("reading and saving the file did not end within 10 s");
        }
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        const QStringList lines = QString::fromUtf8(child.readAllStandardOutput()).split('\n');
        QCOMPARE(lines.value(0), QString("value=d"));
        QCOMPARE(lines.value(1), "why=" + why);
        QCOMPARE(lines.value(2), written ? QString("saved") : QString("refused"));
        QVERIFY2(lines.value(3).toInt() < 1000, qPrintable("read in ms: " + lines.value(3)));
        if (written)
            QVERIFY(contentOf(path).contains("K=written"));
        else
            QCOMPARE(snapshot(path), before);
    }

    void writesKeepEverythingElse()
    {
        const QString path = fileWith("; my comment\r\n[Main]\r\nZeta=1\r\nOutput file=old\r\n"
                                      "\r\n[Other]\r\nKeep=me\r\n");
        IniFile ini(path);
        ini.setString("MAIN", "Output File", "/new/ä.avi");
        // A line break would start a line of its own, a key that wins over the real one.
        ini.setString("Main", "Added", "x\r\nAsk=0\nmore");
        ini.setInteger("New Section", "Count", -3);
        ini.save();
        QCOMPARE(contentOf(path), QByteArray("; my comment\r\n[Main]\r\nZeta=1\r\n"
                                             "Output file=/new/\xc3\xa4.avi\r\nAdded=x\r\n"
                                             "\r\n[Other]\r\nKeep=me\r\n"
                                             "\r\n[New Section]\r\nCount=-3\r\n"));
        QCOMPARE(ini.readString("Main", "output file", ""), QString::fromUtf8("/new/ä.avi"));
    }

    // A save changes the lines of its keys and no other byte: not a byte-order mark, not a line
    // in another encoding (a Windows path in Latin-1).
    void unchangedLinesKeepTheirBytes()
    {
        const QByteArray before("\xef\xbb\xbf; caf\xe9\r\n[Main]\r\nAsk=0\r\n"
                                "[Default]\r\nOutput File=C:\\Vid\xe9os\\a.avi\r\n");
        const QString path = fileWith(before, "bytes.ini");
        IniFile ini(path);
        ini.setBool("Main", "Ask", true);
        ini.save();
        QCOMPARE(contentOf(path), QByteArray(before).replace("Ask=0", "Ask=1"));
    }

    // Several changes before one save: a key added to one section moves the sections after it,
    // and later changes must still find their own lines.
    void addedLinesMoveLaterSections()
    {
        const QString path = fileWith("[A]\nx=1\n\n[B]\ny=2\n[C]\nz=3\n", "moves.ini");
        IniFile ini(path);
        ini.setString("A", "added", "a");
        ini.setString("B", "y", "b");
        ini.setString("B", "more", "m");
        ini.setString("C", "z", "c");
        QCOMPARE(ini.readString("B", "y", ""), QString("b"));
        QCOMPARE(ini.readString("C", "z", ""), QString("c"));
        QCOMPARE(ini.readString("A", "more", "none"), QString("none"));
        ini.save();
        QCOMPARE(contentOf(path), QByteArray("[A]\nx=1\nadded=a\n\n[B]\ny=b\nmore=m\n[C]\nz=c\n"));
    }

    void writeCreatesTheFile()
    {
        const QString path = m_dir.filePath("fresh.ini");
        IniFile ini(path);
        ini.setBool("Main", "Ask", true);
        ini.setBool("Main", "Rename", false);
        ini.save();
        QCOMPARE(contentOf(path), QByteArray("[Main]\nAsk=1\nRename=0\n"));
    }

    // A file-size limit refuses the write even to root, which CI runs as.
    void refusedWriteLeavesTheOldFileWhole()
    {
        const QByteArray old("[Main]\nOutput File=keep\n");
        const QString path = fileWith(old, "limited.ini");
        QString message;
        try {
            const FileSizeLimit limit(64);
            IniFile ini(path);
            ini.setString("Main", "Output File", QString(200, 'x'));
            ini.save();
        } catch (const IniWriteError& e) {
            message = e.message();
        }
        QCOMPARE(message, "Unable to write to " + path);
        QCOMPARE(contentOf(path), old);
        QCOMPARE(QDir(m_dir.path()).entryList({"limited.ini*"}, QDir::Files | QDir::Hidden),
                 QStringList{"limited.ini"});
    }

    void refusedWriteInReadOnlyDirectory()
    {
        if (geteuid() == 0)
            QSKIP("root writes into read-only directories; the size-limit case covers root");
        QTemporaryDir dir;
        const QString path = dir.filePath("Preferences.ini");
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[Main]\nOutput File=keep\n");
        }
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        QString message;
        try {
            IniFile ini(path);
            ini.setString("Main", "Output File", "lost");
            ini.save();
        } catch (const IniWriteError& e) {
            message = e.message();
        }
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner);
        QCOMPARE(message, "Unable to write to " + path);
        QCOMPARE(contentOf(path), QByteArray("[Main]\nOutput File=keep\n"));
    }

    // Saving what could not be read would leave the file with the new keys alone.
    void unreadableFileIsNotReplaced()
    {
        if (geteuid() == 0)
            QSKIP("root reads files without read permission");
        const QByteArray old("[Main]\nOutput File=keep\n[Other]\nKeep=me\n");
        const QString path = fileWith(old, "unreadable.ini");
        QFile::setPermissions(path, QFileDevice::WriteOwner);
        IniFile ini(path);
        ini.setString("Main", "Output File", "new");
        QVERIFY_THROWS_EXCEPTION(IniWriteError, ini.save());
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(contentOf(path), old);
    }

    void writeIntoMissingDirectoryIsRefused()
    {
        const QString path = fileWith("not a directory", "plain") + "/Preferences.ini";
        IniFile ini(path);
        ini.setString("Main", "K", "v");
        QVERIFY_THROWS_EXCEPTION(IniWriteError, ini.save());
    }
};

int main(int argc, char* argv[])
{
    if (argc == 3 && argv[1] == kReadAndSave.toLatin1())
        return readAndSave(QFile::decodeName(argv[2]));
    QCoreApplication app(argc, argv);
    TestIniFile test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_inifile.moc"

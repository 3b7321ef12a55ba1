// The output file while it is written: it replaces the file at its path only once complete.
#include "EncoderError.h"
#include "FfmpegPointers.h"
#include "OutputFile.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using asapi::OutputFile;

namespace {

const QByteArray earlierFilm("earlier film");
const QByteArray newFilm("new film, complete");

void write(OutputFile& file, const QByteArray& bytes)
{
    avio_write(file.context(), reinterpret_cast<const unsigned char*>(bytes.constData()),
               static_cast<int>(bytes.size()));
    avio_flush(file.context());
}

mode_t modeOf(const QString& path)
{
    struct stat facts = {};
    ::stat(QFile::encodeName(path).constData(), &facts);
    return facts.st_mode;
}

} // namespace

class OutputFileTest : public QObject
{
    Q_OBJECT

private slots:
    // Where the file system has no unnamed files a hidden name beside the output stands in;
    // where it has no RENAME_NOREPLACE, link() and unlink() put a stopped run's file in place.
    // A complete file replaces the old one; an unfinished one never appears; one that a stop cut
    // short appears only where no file stood.
    void oldFileIsReplacedOnlyByACompleteOne_data()
    {
        QTest::addColumn<bool>("unnamedFiles");
        QTest::addColumn<bool>("noReplaceRename");
        QTest::addColumn<QString>("ending"); // "complete", "unfinished" or "stopped"
        QTest::addColumn<bool>("oldFile");
        QTest::newRow("unnamed file, complete") << true << true << "complete" << true;
        QTest::newRow("hidden name, complete") << false << true << "complete" << true;
        QTest::newRow("unnamed file, unfinished") << true << true << "unfinished" << true;
        QTest::newRow("hidden name, unfinished") << false << true << "unfinished" << true;
        QTest::newRow("unnamed file, stopped over a file") << true << true << "stopped" << true;
        QTest::newRow("hidden name, stopped over a file") << false << true << "stopped" << true;
        QTest::newRow("unnamed file, stopped, nothing there") << true << true << "stopped" << false;
        QTest::newRow("hidden name, stopped, nothing there") << false << true << "stopped" << false;
        QTest::newRow("by link, stopped over a file") << true << false << "stopped" << true;
        QTest::newRow("hidden name by link, stopped over a file")
            << false << false << "stopped" << true;
        QTest::newRow("by link, stopped, nothing there") << true << false << "stopped" << false;
        QTest::newRow("hidden name by link, stopped, nothing there")
            << false << false << "stopped" << false;
    }

    void oldFileIsReplacedOnlyByACompleteOne()
    {
        QFETCH(bool, unnamedFiles);
        QFETCH(bool, noReplaceRename);
        QFETCH(QString, ending);
        QFETCH(bool, oldFile);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("film.avi"));
        if (oldFile)
            QVERIFY(writeFile(path, earlierFilm));
        const QByteArray before = oldFile ? earlierFilm : QByteArray();
        bool placed = false;
        {
            OutputFile file(path.toStdString(),
                            asapi::FileSystemUse{unnamedFiles, noReplaceRename});
            write(file, newFilm);
            QCOMPARE(fileContents(path), before);
            if (ending == QLatin1String("complete"))
                placed = file.commit();
            else if (ending == QLatin1String("stopped"))
                placed = file.commit(asapi::Placement::BesideExisting);
        }
        const bool expectPlaced =
            ending == QLatin1String("complete") || (ending == QLatin1String("stopped") && !oldFile);
        QCOMPARE(placed, expectPlaced);
        QCOMPARE(fileContents(path), placed ? newFilm : before);
        QCOMPARE(folderEntries(folder.path()),
                 placed || oldFile ? QStringList{QStringLiteral("film.avi")} : QStringList());
        if (placed) {
            const mode_t mask = umask(0);
            umask(mask);
            QCOMPARE(modeOf(path) & 0777, 0666 & ~mask);
        }
    }

    // A file replaced keeps its permissions, so a private film stays private; a read-only one is
    // not replaced at all.
    void replacedFileKeepsItsProtection_data()
    {
        QTest::addColumn<bool>("unnamedFiles");
        QTest::addColumn<int>("oldMode");
        QTest::addColumn<bool>("throughLink");
        QTest::newRow("private, unnamed file") << true << 0600 << false;
        QTest::newRow("private, hidden name") << false << 0640 << false;
        QTest::newRow("read-only") << true << 0444 << false;
        QTest::newRow("private, through a link") << true << 0600 << true;
        QTest::newRow("read-only, through a link") << false << 0444 << true;
    }
    void replacedFileKeepsItsProtection()
    {
        QFETCH(bool, unnamedFiles);
        QFETCH(int, oldMode);
        QFETCH(bool, throughLink);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("film.avi"));
        QVERIFY(writeFile(path, earlierFilm));
        ::chmod(QFile::encodeName(path).constData(), static_cast<mode_t>(oldMode));
        const QString output = throughLink ? folder.filePath(QStringLiteral("link.avi")) : path;
        QVERIFY(!throughLink || QFile::link(path, output));
        try {
            OutputFile file(output.toStdString(), asapi::FileSystemUse{unnamedFiles, true});
            write(file, newFilm);
            QVERIFY(file.commit());
            QVERIFY(oldMode & 0200);
        } catch (const asapi::EncoderError& error) {
            QVERIFY2(!(oldMode & 0200), error.what());
            QVERIFY(QString::fromUtf8(error.what()).endsWith("the file is read-only."));
        }
        QCOMPARE(fileContents(path), oldMode & 0200 ? newFilm : earlierFilm);
        QCOMPARE(modeOf(path) & 0777, static_cast<mode_t>(oldMode));
    }

    // A symbolic link goes on pointing where it did: at the new file, or, when the run was
    // stopped, at the old one, with nothing left beside it.
    void linkedOutputKeepsItsLink_data()
    {
        QTest::addColumn<bool>("stopped");
        QTest::newRow("complete") << false;
        QTest::newRow("stopped") << true;
    }
    void linkedOutputKeepsItsLink()
    {
        QFETCH(bool, stopped);
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("films")));
        const QString target = folder.filePath(QStringLiteral("films/film.avi"));
        const QString link = folder.filePath(QStringLiteral("film.avi"));
        QVERIFY(writeFile(target, earlierFilm));
        QVERIFY(QFile::link(target, link));
        {
            OutputFile file(link.toStdString());
            write(file, newFilm);
            QCOMPARE(
                file.commit(stopped ? asapi::Placement::BesideExisting : asapi::Placement::Replace),
                !stopped);
        }
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(fileContents(target), stopped ? earlierFilm : newFilm);
        QCOMPARE(folderEntries(folder.filePath(QStringLiteral("films"))),
                 QStringList{QStringLiteral("film.avi")});
    }

    // A FIFO (like a device) is written as it is, never replaced by a file.
    void fifoIsWrittenDirectly()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("pipe.avi"));
        const QByteArray name = QFile::encodeName(path);
        QCOMPARE(::mkfifo(name.constData(), 0600), 0);
        const int reader = ::open(name.constData(), O_RDONLY | O_NONBLOCK);
        QVERIFY(reader >= 0);
        {
            OutputFile file(path.toStdString());
            write(file, newFilm);
            // Written as it came, stopped or not.
            QVERIFY(file.commit(asapi::Placement::BesideExisting));
        }
        QByteArray received(newFilm.size(), '\0');
        QCOMPARE(::read(reader, received.data(), received.size()), ssize_t(newFilm.size()));
        ::close(reader);
        QCOMPARE(received, newFilm);
        QVERIFY(S_ISFIFO(modeOf(path)));
    }
};

QTEST_GUILESS_MAIN(OutputFileTest)
#include "test_output_file.moc"

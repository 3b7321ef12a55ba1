// The output file while it is written: it replaces the file at its path only once complete.
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
    // Where the file system has no unnamed files a hidden name beside the output stands in.
    void oldFileIsReplacedOnlyByACompleteOne_data()
    {
        QTest::addColumn<bool>("unnamedFiles");
        QTest::addColumn<bool>("committed");
        QTest::newRow("unnamed file, complete") << true << true;
        QTest::newRow("hidden name, complete") << false << true;
        QTest::newRow("unnamed file, unfinished") << true << false;
        QTest::newRow("hidden name, unfinished") << false << false;
    }

    void oldFileIsReplacedOnlyByACompleteOne()
    {
        QFETCH(bool, unnamedFiles);
        QFETCH(bool, committed);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("film.avi"));
        QVERIFY(writeFile(path, earlierFilm));
        {
            OutputFile file(path.toStdString(), unnamedFiles);
            write(file, newFilm);
            QCOMPARE(fileContents(path), earlierFilm);
            if (committed)
                file.commit();
        }
        QCOMPARE(fileContents(path), committed ? newFilm : earlierFilm);
        QCOMPARE(folderEntries(folder.path()), QStringList{QStringLiteral("film.avi")});
        if (committed) {
            const mode_t mask = umask(0);
            umask(mask);
            QCOMPARE(modeOf(path) & 0777, 0666 & ~mask);
        }
    }

    // A symbolic link goes on pointing where it did, at the new file.
    void linkedOutputReplacesTheFileLinkedTo()
    {
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("films")));
        const QString target = folder.filePath(QStringLiteral("films/film.avi"));
        const QString link = folder.filePath(QStringLiteral("film.avi"));
        QVERIFY(writeFile(target, earlierFilm));
        QVERIFY(QFile::link(target, link));
        OutputFile file(link.toStdString());
        write(file, newFilm);
        file.commit();
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(fileContents(target), newFilm);
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
            file.commit();
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

#include "EditorFixture.h"
#include "support/Clips.h"
#include "support/RecordingSeams.h"
#include "tasks/MediaProbe.h"
#include "tasks/TaskListEditor.h"
#include "tasks/TaskListModel.h"

#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

// Probing through the real libmediainfo, as files are added to the list.
class TestMediaProbe : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<EditorFixture> m_f;

    QString copyOfClip(const QString& clip, const QString& name)
    {
        const QString path = m_dir.filePath(name);
        QFile::remove(path);
        if (!QFile::copy(clipPath(clip), path))
            qFatal("cannot copy %s", qPrintable(clip));
        return path;
    }
    TaskRow row(int index) const { return m_f->model.ReadItemData(index); }

private slots:
    void init() { m_f = std::make_unique<EditorFixture>(); }
    void cleanup() { m_f.reset(); }

    void everyClipKindShowsItsLengthAndSize_data()
    {
        QTest::addColumn<QString>("clip");
        QTest::addColumn<QString>("length");
        QTest::addColumn<QString>("size");
        QTest::newRow("avi") << "clip.avi"
                             << "00:00:02"
                             << "320x240";
        QTest::newRow("mpg") << "clip.mpg"
                             << "00:00:02"
                             << "352x288";
        QTest::newRow("mpeg") << "clip.mpeg"
                              << "00:00:02"
                              << "320x240";
        QTest::newRow("mp4") << "clip.mp4"
                             << "00:00:02"
                             << "320x180";
        QTest::newRow("wmv") << "clip.wmv"
                             << "00:00:02"
                             << "320x240";
        QTest::newRow("mov") << "clip.mov"
                             << "00:00:02"
                             << "240x160";
        QTest::newRow("vob") << "clip.vob"
                             << "00:00:02"
                             << "720x480";
        QTest::newRow("asf") << "clip.asf"
                             << "00:00:02"
                             << "320x240";
        QTest::newRow("mkv") << "clip.mkv"
                             << "00:00:02"
                             << "320x240";
        QTest::newRow("webm") << "clip.webm"
                              << "00:00:02"
                              << "320x240";
        QTest::newRow("flv") << "clip.flv"
                             << "00:00:02"
                             << "320x240";
        QTest::newRow("m4v") << "clip.m4v"
                             << "00:00:02"
                             << "320x240";
        QTest::newRow("3gp") << "clip.3gp"
                             << "00:00:02"
                             << "176x144";
        // MediaInfo measures a transport stream from its first time stamp to its last.
        QTest::newRow("ts") << "clip.ts"
                            << "00:00:01.9"
                            << "320x240";
        QTest::newRow("m2ts") << "clip.m2ts"
                              << "00:00:01.9"
                              << "320x240";
        QTest::newRow("no audio") << "noaudio.avi"
                                  << "00:00:01"
                                  << "320x240";
        QTest::newRow("mono") << "mono.avi"
                              << "00:00:01"
                              << "320x240";
        QTest::newRow("no video") << "novideo.mp4"
                                  << "00:00:01"
                                  << "x";
    }
    void everyClipKindShowsItsLengthAndSize()
    {
        QFETCH(QString, clip);
        QFETCH(QString, length);
        QFETCH(QString, size);
        m_f->editor.addDropped({clipPath(clip)});
        QCOMPARE(m_f->doubles.messages.shown.size(), 0);
        QCOMPARE(m_f->model.rowCount(), 1);
        const TaskRow added = row(0);
        QCOMPARE(added.path, clipPath(clip));
        QCOMPARE(added.length, length);
        QCOMPARE(added.frameSize, size);
        QCOMPARE(added.status, TaskStatus::Ok);
        QCOMPARE(added.name, clip.section('.', 0, 0));
        QVERIFY(added.lengthSeconds() > 0);
    }

    // Codecs by the names people know, sound "none" rather than empty, the size as it plays.
    void factsAreReadAsPeopleKnowThem_data()
    {
        QTest::addColumn<QString>("clip");
        QTest::addColumn<QString>("facts");
        QTest::newRow("phone clip upright")
            << "portrait.mp4"
            << "180x320|30|H.264 Constrained Baseline|AAC 48 kHz mono|2025-07-11";
        QTest::newRow("MPEG-1 with layer 2 sound") << "clip.mpg"
                                                   << "352x288|25|MPEG-1|MP2 44.1 kHz mono|";
        QTest::newRow("MPEG-4 without sound") << "noaudio.avi"
                                              << "320x240|25|MPEG-4 Simple|none|";
        QTest::newRow("MP3 mono") << "mono.avi"
                                  << "320x240|25|MPEG-4 Simple|MP3 44.1 kHz mono|";
    }
    void factsAreReadAsPeopleKnowThem()
    {
        QFETCH(QString, clip);
        QFETCH(QString, facts);
        m_f->editor.addDropped({clipPath(clip)});
        const TaskRow added = row(0);
        const QStringList expected = facts.split('|');
        QCOMPARE(added.frameSize, expected[0]);
        QCOMPARE(added.facts.frameRate, expected[1]);
        QCOMPARE(added.facts.video, expected[2]);
        QCOMPARE(added.facts.sound, expected[3]);
        // Without a date of its own, a clip was taken when its file was written.
        if (expected[4].isEmpty())
            QCOMPARE(added.facts.dateTaken, QFileInfo(clipPath(clip)).lastModified());
        else
            QCOMPARE(added.facts.dateTaken.toUTC().toString("yyyy-MM-dd"), expected[4]);
        QCOMPARE(added.facts.fileSize, QFileInfo(clipPath(clip)).size());
    }

    void oddPathsAreProbedWhole_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("blanks") << "two  blanks .avi";
        QTest::newRow("quotes") << "it's \"quoted\".avi";
        QTest::newRow("non-ASCII") << QString::fromUtf8("Überlänge ñ 日本.avi");
        QTest::newRow("leading dash") << "-i clip.avi";
        QTest::newRow("shell characters") << "a;b|c&$(d)`e`.avi";
    }
    void oddPathsAreProbedWhole()
    {
        QFETCH(QString, name);
        const QString path = copyOfClip("clip.avi", name);
        m_f->editor.addDropped({path});
        QCOMPARE(m_f->doubles.messages.shown.size(), 0);
        QCOMPARE(m_f->model.rowCount(), 1);
        QCOMPARE(row(0).path, path);
        QCOMPARE(row(0).length, QString("00:00:02"));
        QCOMPARE(row(0).frameSize, QString("320x240"));
        QCOMPARE(row(0).name, name.left(name.lastIndexOf('.')));
    }

    void unreadableInputFailsAndKeepsTheList_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("zero bytes") << "empty.avi";
        QTest::newRow("text renamed .avi") << "text.avi";
        QTest::newRow("truncated") << "truncated.mp4";
        QTest::newRow("missing") << "missing";
        QTest::newRow("pipe") << "pipe";
        QTest::newRow("no permission") << "no permission";
    }
    void unreadableInputFailsAndKeepsTheList()
    {
        QFETCH(QString, kind);
        QString path;
        if (kind == "missing") {
            path = m_dir.filePath("gone.avi");
        } else if (kind == "pipe") {
            // Would block a reader that opened it.
            path = m_dir.filePath("pipe.avi");
            QFile::remove(path);
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == "no permission") {
            if (geteuid() == 0)
                QSKIP("root reads files without permission");
            path = copyOfClip("clip.avi", "locked.avi");
            QFile::setPermissions(path, QFileDevice::Permissions());
        } else {
            path = clipPath(kind);
        }

        m_f->editor.addDropped({clipPath("clip.avi")});
        m_f->editor.addDropped({path});
        QCOMPARE(m_f->model.rowCount(), 1);
        QCOMPARE(row(0).path, clipPath("clip.avi"));
        QCOMPARE(m_f->doubles.messages.shown.size(), 1);
        QCOMPARE(m_f->doubles.messages.shown[0].kind, QString("error"));
        QCOMPARE(m_f->doubles.messages.shown[0].text,
                 "These files cannot be read as videos and were not added:\n\n" + path +
                     "\n'' is not a valid floating point value");
    }

    // Files that are no videos leave out only themselves, whichever way the files came, and are
    // named together in one error.
    void filesThatAreNoVideosLeaveTheOthersAdded_data()
    {
        QTest::addColumn<QString>("way");
        for (const char* way : {"dialog", "folder", "drop", "command line", "list"})
            QTest::newRow(way) << way;
    }
    void filesThatAreNoVideosLeaveTheOthersAdded()
    {
        QFETCH(QString, way);
        QDir(m_dir.path()).mkdir("folder");
        const QStringList files{
            copyOfClip("clip.avi", "folder/a.avi"), copyOfClip("text.avi", "folder/b.avi"),
            copyOfClip("clip.avi", "folder/c.avi"), copyOfClip("empty.avi", "folder/d.avi")};
        if (way == "dialog") {
            m_f->doubles.dialogs.openAnswers.enqueue(files);
            m_f->editor.addFilesFromDialog();
        } else if (way == "folder") {
            m_f->doubles.dialogs.folderAnswers.enqueue(m_dir.filePath("folder"));
            m_f->editor.addDirectoryFromDialog();
        } else if (way == "drop") {
            m_f->editor.addDropped(files);
        } else {
            QFile list(m_dir.filePath("jobs.tmp"));
            QVERIFY(list.open(QIODevice::WriteOnly));
            list.write((files.join('\n') + '\n').toUtf8());
            list.close();
            m_f->doubles.dialogs.openAnswers.enqueue({list.fileName()});
            if (way == "list")
                m_f->editor.addListFromDialog();
            else
                m_f->doubles.messages.error(
                    nullptr, m_f->editor.addCommandLine({list.fileName()}, m_dir.path()));
        }
        QCOMPARE(m_f->model.rowCount(), 2);
        QCOMPARE(row(0).path, files[0]);
        QCOMPARE(row(1).path, files[2]);
        QCOMPARE(m_f->doubles.messages.shown.size(), 1);
        QCOMPARE(m_f->doubles.messages.shown[0].kind, QString("error"));
        QCOMPARE(m_f->doubles.messages.shown[0].text,
                 "These files cannot be read as videos and were not added:\n\n" + files[1] +
                     "\n'' is not a valid floating point value\n\n" + files[3] +
                     "\n'' is not a valid floating point value");
    }

    void aFailedProbeKeepsTheLastResult()
    {
        MediaProbe probe;
        probe.probe(clipPath("clip.vob"));
        QVERIFY_THROWS_EXCEPTION(ProbeError, probe.probe(clipPath("text.avi")));
        QCOMPARE(probe.durationText(), QString("00:00:02"));
        QCOMPARE(probe.frameSizeText(), QString("720x480"));
    }
};

QTEST_GUILESS_MAIN(TestMediaProbe)
#include "test_media_probe.moc"

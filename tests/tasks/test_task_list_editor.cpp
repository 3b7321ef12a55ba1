#include "EditorFixture.h"
#include "paths/WholeFile.h"
#include "support/Clips.h"
#include "support/FileSizeLimit.h"
#include "support/NamedPipe.h"
#include "support/RecordingSeams.h"
#include "tasks/JobListFile.h"
#include "tasks/SupportedInputs.h"
#include "tasks/TaskListEditor.h"
#include "tasks/TaskListModel.h"

#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

// Adding files: duplicates, dialogs, folders and the command line.
class TestTaskListEditor : public QObject
{
    Q_OBJECT

    QTemporaryDir* m_dir = nullptr;
    std::unique_ptr<EditorFixture> m_f;

    // A real clip under the given name, below the test's folder.
    QString clip(const QString& name)
    {
        const QString path = m_dir->filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!QFile::copy(clipPath("clip.avi"), path))
            qFatal("cannot copy to %s", qPrintable(path));
        return path;
    }
    QString textFile(const QString& name, const QByteArray& content)
    {
        const QString path = m_dir->filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(content);
        return path;
    }
    QByteArray contentOf(const QString& path) const
    {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }
    QStringList paths() const
    {
        QStringList listed;
        for (int row = 0; row < m_f->model.rowCount(); ++row)
            listed << m_f->model.ReadItemData(row).path;
        return listed;
    }
    QStringList asked() const
    {
        QStringList texts;
        for (const RecordedMessage& message : m_f->doubles.messages.shown)
            texts << message.kind + ": " + message.caption;
        return texts;
    }

private slots:
    void init()
    {
        m_dir = new QTemporaryDir;
        m_f = std::make_unique<EditorFixture>();
    }
    void cleanup()
    {
        m_f.reset();
        delete m_dir;
    }

    void aListedPathIsAddedAgainOnlyAfterYes()
    {
        const QString a = clip("a.avi");
        m_f->doubles.messages.answers << true << false;
        m_f->editor.addDropped({a, a, a});
        QCOMPARE(paths(), QStringList({a, a}));
        QCOMPARE(asked(), QStringList({"askForAll: Already Listed", "askForAll: Already Listed"}));
        QCOMPARE(m_f->doubles.messages.shown[0].text,
                 "This file has been added to the Task List already. Are you sure to add it "
                 "again?\n" +
                     a);
    }

    void pathsDifferingInLetterCaseAreNotDuplicates()
    {
        const QString lower = clip("a.avi");
        const QString upper = clip("A.avi");
        m_f->editor.addDropped({lower, upper});
        QCOMPARE(paths(), QStringList({lower, upper}));
        QVERIFY(m_f->doubles.messages.shown.isEmpty());
    }

    void dialogFilesAreAddedInTheDialogsOrder()
    {
        const QString a = clip("a.avi");
        const QString b = clip("b.avi");
        const QString c = clip("c.avi");
        const QString ogv = clip("d.ogv"); // the "All Files" filter lets anything through
        m_f->doubles.dialogs.openAnswers.enqueue({a, b, c, ogv});
        m_f->editor.addFilesFromDialog();
        QCOMPARE(paths(), QStringList({a, b, c, ogv}));
        QCOMPARE(m_f->doubles.dialogs.filtersSeen, QStringList({inputFileFilter()}));
    }

    void aCancelledDialogAddsNothingAndLeavesTheButtons()
    {
        QSignalSpy buttons(&m_f->editor, &TaskListEditor::taskButtonsEnabled);
        m_f->editor.addFilesFromDialog();
        m_f->editor.addDirectoryFromDialog();
        QCOMPARE(m_f->model.rowCount(), 0);
        QCOMPARE(buttons.count(), 0);
        QCOMPARE(m_f->doubles.dialogs.titlesSeen,
                 QStringList({"Add a directory to the Task List"}));
    }

    void aFolderAddsItsVisibleSupportedFilesSortedRegardlessOfCase()
    {
        const QString a = clip("folder/a.WMV");
        const QString b = clip("folder/B.avi");
        const QString c = clip("folder/c.Mpeg");
        textFile("folder/b.txt", "text");
        clip("folder/.c.avi");
        clip("folder/d/e.avi");
        QDir().mkpath(m_dir->filePath("folder/f.avi")); // a folder named like a video
        m_f->doubles.dialogs.folderAnswers.enqueue(m_dir->filePath("folder"));
        QSignalSpy buttons(&m_f->editor, &TaskListEditor::taskButtonsEnabled);
        m_f->editor.addDirectoryFromDialog();
        QCOMPARE(paths(), QStringList({a, b, c}));
        QCOMPARE(buttons.count(), 1);
        QCOMPARE(buttons[0][0].toBool(), true);
    }

    void aFolderWithATrailingSlashGetsNoSecondOne()
    {
        const QString a = clip("folder/a.avi");
        m_f->editor.addDropped({m_dir->filePath("folder") + "/"});
        QCOMPARE(paths(), QStringList({a}));
    }

    void anEmptyFolderAddsNothing()
    {
        QDir().mkpath(m_dir->filePath("empty"));
        m_f->editor.addDropped({m_dir->filePath("empty")});
        QCOMPARE(m_f->model.rowCount(), 0);
    }

    void commandLineAddsSupportedFilesAndFolders()
    {
        const QString a = clip("a.wmv");
        const QString b = textFile("b.txt", "text");
        const QString inD = clip("D/x.avi");
        const QString ogv = clip("c.ogv");
        const QString upper = clip("MOVIE.AVI");
        // Relative paths are taken from the folder the program was started in.
        m_f->editor.addCommandLine({"a.wmv", b, "./D", ogv, "missing.avi", upper}, m_dir->path());
        QCOMPARE(paths(), QStringList({a, inD, upper}));
        QVERIFY(m_f->doubles.messages.shown.isEmpty());
    }

    void commandLineListFileNamesThePaths()
    {
        const QString one = clip("one.avi");
        const QString two = clip("two.avi");
        const QString three = clip("three.avi");
        // The list and its lines may be relative too; an empty line is no folder to add.
        const QString list =
            textFile("list.TMP", (two + "\r\n\r\nD/../one.avi\n" + three + "\n").toUtf8());
        m_f->editor.addCommandLine({"list.TMP", clip("ignored.avi")}, m_dir->path());
        QCOMPARE(paths(), QStringList({two, one, three}));
        QVERIFY(QFile::exists(list));
    }

    // Save List writes what the command line reads back: the same rows, names beyond ASCII and
    // a file listed twice included. Nothing but the dialog asks before a list is replaced.
    void aSavedListReadsBackAsTheSameRows()
    {
        const QString a = clip("vid\u00e9o \u00fc.avi");
        const QString b = clip("b.avi");
        m_f->doubles.messages.answers << true;
        m_f->editor.addDropped({a, b, a});
        const QString list = textFile("jobs.tmp", "an older list\n");
        m_f->doubles.dialogs.saveAnswers.enqueue(list);
        m_f->editor.saveListFromDialog();
        QCOMPARE(m_f->doubles.dialogs.filtersSeen, QStringList{kJobListFilter});
        QCOMPARE(m_f->doubles.dialogs.questionsSeen,
                 QVector<ExistingFileQuestion>{ExistingFileQuestion::Dialog});

        m_f = std::make_unique<EditorFixture>();
        m_f->doubles.messages.answers << true;
        m_f->editor.addCommandLine({list}, m_dir->path());
        QCOMPARE(paths(), QStringList({a, b, a}));
    }

    // A list read and saved again holds what it held: a part as its group, a whole video as its
    // bare path, as lists were before parts; %1 names a path with blanks.
    void aListKeepsEachRowsPart_data()
    {
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QStringList>("points"); // "in out" of each row, "-" for none
        QTest::addColumn<QString>("saved");      // empty: the lines again
        QTest::newRow("older list") << "%1\n%2\n%1\n" << QStringList{"- -", "- -", "- -"} << "";
        QTest::newRow("parts and whole videos")
            << "{ %1 -ss 0.500 -endpos 1.250 }\n%2\n{ %1 -endpos 1.000 }\n{ %2 -ss 1.000 }\n"
            << QStringList{"0.5 1.75", "- -", "- 1", "1 -"} << "";
        QTest::newRow("a group's path from the list's folder, hh:mm:ss")
            << "{ b.avi -ss 0.25 -endpos 00:00:01.0004 }\n"
            << QStringList{"0.25 1.25"} << "{ %2 -ss 0.250 -endpos 1.000 }\n";
    }

    void aListKeepsEachRowsPart()
    {
        QFETCH(QString, lines);
        QFETCH(QStringList, points);
        QFETCH(QString, saved);
        const QString a = clip("vid\u00e9o \u00fc.avi");
        const QString b = clip("b.avi");
        const auto named = [&](QString text) { return text.replace("%1", a).replace("%2", b); };
        m_f->doubles.messages.answersForAll << AnswerForAll::YesToAll;
        m_f->editor.addCommandLine({textFile("parts.tmp", named(lines).toUtf8())}, m_dir->path());
        QStringList read;
        for (int row = 0; row < m_f->model.rowCount(); ++row) {
            const TaskRow item = m_f->model.ReadItemData(row);
            const auto text = [](std::optional<double> at) {
                return at ? QString::number(*at) : QStringLiteral("-");
            };
            read << text(item.inPoint) + ' ' + text(item.outPoint);
        }
        QCOMPARE(read, points);
        const QString list = m_dir->filePath("saved.tmp");
        m_f->doubles.dialogs.saveAnswers.enqueue(list);
        m_f->editor.saveListFromDialog();
        QCOMPARE(QString::fromUtf8(contentOf(list)), named(saved.isEmpty() ? lines : saved));
    }

    // Open List adds through the command line's steps: a file that is no video is named in the
    // error and the others are added.
    void anOpenedListNamesTheFileThatIsNoVideo()
    {
        const QString text = m_dir->filePath("text.avi");
        QVERIFY(QFile::copy(clipPath("text.avi"), text));
        const QString a = clip("a.avi");
        clip("lists/b.avi");
        m_f->doubles.dialogs.openAnswers.enqueue(
            {textFile("lists/jobs.tmp", (text + "\nb.avi\n" + a + "\n").toUtf8())});
        m_f->editor.addListFromDialog();
        QCOMPARE(paths(), QStringList({m_dir->filePath("lists/b.avi"), a}));
        QCOMPARE(asked(), QStringList{"error: "});
        QCOMPARE(m_f->doubles.messages.shown[0].text,
                 "These files cannot be read as videos and were not added:\n\n" + text +
                     "\n'' is not a valid floating point value");
    }

    // A list opened again asks once, naming the list, when answered for all its files.
    void anOpenedListOfListedFilesAsksOnceForAll_data()
    {
        QTest::addColumn<QVector<AnswerForAll>>("answers");
        QTest::addColumn<int>("rows");
        QTest::newRow("yes to all") << QVector{AnswerForAll::YesToAll} << 6;
        QTest::newRow("no to all") << QVector{AnswerForAll::NoToAll} << 3;
        QTest::newRow("yes, then no to all")
            << QVector{AnswerForAll::Yes, AnswerForAll::NoToAll} << 4;
    }
    void anOpenedListOfListedFilesAsksOnceForAll()
    {
        QFETCH(QVector<AnswerForAll>, answers);
        QFETCH(int, rows);
        const QStringList files{clip("a.avi"), clip("b.avi"), clip("c.avi")};
        m_f->editor.addDropped(files);
        const QString list = textFile("jobs.tmp", (files.join('\n') + '\n').toUtf8());
        m_f->doubles.dialogs.openAnswers.enqueue({list});
        m_f->doubles.messages.answersForAll.append(answers);
        m_f->editor.addListFromDialog();
        QCOMPARE(m_f->model.rowCount(), rows);
        QCOMPARE(m_f->doubles.messages.shown.size(), answers.size());
        QVERIFY(
            m_f->doubles.messages.shown[0].text.endsWith("The job list " + list + " names it."));
        // The next add asks again.
        m_f->editor.addDropped({files[0]});
        QCOMPARE(m_f->doubles.messages.shown.size(), answers.size() + 1);
    }

    void aDragWithinTheListIsTakenBackByUndo()
    {
        const QStringList files{clip("a.avi"), clip("b.avi"), clip("c.avi")};
        m_f->editor.addDropped(files);
        std::unique_ptr<QMimeData> data(m_f->model.mimeData({m_f->model.index(2, 0)}));
        QVERIFY(m_f->model.dropMimeData(data.get(), Qt::MoveAction, 0, 0, QModelIndex()));
        QCOMPARE(paths(), QStringList({files[2], files[0], files[1]}));
        m_f->editor.undo();
        QCOMPARE(paths(), files);
    }

    // Rows "name length size"; the clicks on column headers; the names after them, top first.
    void clicksOnAHeaderSortTheRowsAndUndoTakesThemBack_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<QString>("sorted");
        const QStringList clips{"Clip10 00:00:05 640x480", "clip02 00:01:00 320x240",
                                "clip1 00:00:05 1920x1080"};
        QTest::newRow("names as read")
            << clips << QList<int>{TaskListModel::InputFile} << "clip1 clip02 Clip10";
        QTest::newRow("second click turns round")
            << clips << QList<int>{TaskListModel::InputFile, TaskListModel::InputFile}
            << "Clip10 clip02 clip1";
        QTest::newRow("equal lengths keep their order")
            << clips << QList<int>{TaskListModel::Length} << "Clip10 clip1 clip02";
        QTest::newRow("descending keeps equal ones in order too")
            << clips << QList<int>{TaskListModel::Length, TaskListModel::Length}
            << "clip02 Clip10 clip1";
        QTest::newRow("sizes by their pixels")
            << clips << QList<int>{TaskListModel::Size} << "clip02 Clip10 clip1";
    }
    void clicksOnAHeaderSortTheRowsAndUndoTakesThemBack()
    {
        QFETCH(QStringList, rows);
        QFETCH(QList<int>, clicks);
        QFETCH(QString, sorted);
        for (const QString& row : rows) {
            const QStringList cells = row.split(' ');
            m_f->model.appendItem(TaskRow{cells[0], cells[1], cells[2], TaskStatus::Ok, {}});
        }
        m_f->selection.select(m_f->model.index(0, 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
        for (int column : clicks)
            m_f->editor.sortByColumn(column);

        QCOMPARE(paths().join(' '), sorted);
        QCOMPARE(m_f->model.ReadItemData(m_f->selection.selectedRows().value(0).row()).path,
                 rows[0].section(' ', 0, 0));
        for (qsizetype undo = 0; undo < clicks.size(); ++undo)
            m_f->editor.undo();
        QCOMPARE(paths().join(' '), "Clip10 clip02 clip1");
        QCOMPARE(m_f->editor.sortedColumn(), -1);
    }

    // A file-size limit refuses the write even to root, which CI runs as. A name with a line
    // break would read back as other names.
    void aListThatCannotBeWrittenLeavesTheOldOneWhole_data()
    {
        QTest::addColumn<QString>("secondName");
        QTest::addColumn<bool>("refusedWrite");
        QTest::addColumn<QString>("error");
        QTest::newRow("write refused") << "b.avi" << true << "Unable to write to ";
        QTest::newRow("name with a line break")
            << "b\nc.avi" << false << "A job list holds one name on each line";
    }

    void aListThatCannotBeWrittenLeavesTheOldOneWhole()
    {
        QFETCH(QString, secondName);
        QFETCH(bool, refusedWrite);
        QFETCH(QString, error);
        m_f->editor.addDropped({clip("a.avi"), clip(secondName), clip("c.avi")});
        QCOMPARE(paths().size(), 3);
        const QByteArray old = "/videos/old.avi\n";
        const QString list = textFile("jobs.tmp", old);
        m_f->doubles.dialogs.saveAnswers.enqueue(list);
        {
            std::optional<FileSizeLimit> limit;
            if (refusedWrite)
                limit.emplace(old.size() + 8);
            m_f->editor.saveListFromDialog();
        }
        QCOMPARE(contentOf(list), old);
        QCOMPARE(asked(), QStringList{"error: "});
        QVERIFY2(m_f->doubles.messages.shown[0].text.startsWith(error),
                 qPrintable(m_f->doubles.messages.shown[0].text));
        QCOMPARE(QDir(m_dir->path()).entryList({"jobs.tmp*"}, QDir::Files | QDir::Hidden),
                 QStringList{"jobs.tmp"});
    }

    // Qt reads the name clip\xe9.avi (Latin-1) as "clip\uFFFD.avi", which opens nothing.
    void aNameThatIsNotUtf8IsLeftOutWithANotice_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("folder") << "folder";
        QTest::newRow("command line") << "command line";
        QTest::newRow("drop") << "drop";
        QTest::newRow("dialog") << "dialog";
    }
    void aNameThatIsNotUtf8IsLeftOutWithANotice()
    {
        QFETCH(QString, way);
        const QString a = clip("in/a.avi");
        const QByteArray raw = QFile::encodeName(m_dir->filePath("in/")) + "clip\xe9.avi";
        QVERIFY(::rename(QFile::encodeName(clip("in/b.avi")).constData(), raw.constData()) == 0);
        const QString shown = QFile::decodeName(raw);
        const QString c = clip("in/c.avi");

        if (way == "folder")
            m_f->editor.addDropped({m_dir->filePath("in")});
        else if (way == "command line")
            m_f->editor.addCommandLine({a, shown, c}, m_dir->path());
        else if (way == "drop")
            m_f->editor.addDropped({a, shown, c});
        else {
            m_f->doubles.dialogs.openAnswers.enqueue({a, shown, c});
            m_f->editor.addFilesFromDialog();
        }
        QCOMPARE(paths(), QStringList({a, c}));
        QCOMPARE(asked(), QStringList({"info: File Name Not Readable"}));
        QVERIFY2(m_f->doubles.messages.shown.first().text.contains(shown),
                 qPrintable(m_f->doubles.messages.shown.first().text));
    }

    // Only a regular file of a bounded size, holding text and a job's worth of names, is read:
    // a named pipe would block the start, a list of millions of names hold the window for
    // minutes. What was not read is said.
    void anUnreadableListFileAddsNothing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("told");
        QTest::newRow("missing") << "missing"
                                 << "";
        QTest::newRow("named pipe") << "pipe"
                                    << "named pipe";
        QTest::newRow("sparse file beyond 64 MB") << "sparse"
                                                  << "larger than";
        QTest::newRow("binary data") << "binary"
                                     << "it is not a text file.";
        QTest::newRow("more names than any job")
            << "long"
            << "it names 10001 files, more than the 10000 a job list may hold.";
    }
    void anUnreadableListFileAddsNothing()
    {
        QFETCH(QString, kind);
        QFETCH(QString, told);
        const QString list = m_dir->filePath(kind + ".tmp");
        std::unique_ptr<NamedPipe> pipe;
        if (kind == "pipe") {
            pipe = std::make_unique<NamedPipe>(list, std::chrono::seconds(5));
            QVERIFY(pipe->isValid());
        } else if (kind == "sparse") {
            textFile(kind + ".tmp", (clip("listed.avi") + "\n").toUtf8());
            QVERIFY(QFile::resize(list, kWholeFileMaxBytes + 1));
        } else if (kind == "binary") {
            textFile(kind + ".tmp", (clip("listed.avi") + "\n").toUtf8() + QByteArray(8, '\0'));
        } else if (kind == "long") {
            textFile(kind + ".tmp", (clip("listed.avi") + "\n").toUtf8().repeated(10001));
        }
        const QString said = m_f->editor.addCommandLine({list, clip("ignored.avi")}, m_dir->path());
        QCOMPARE(m_f->model.rowCount(), 0);
        QVERIFY(!pipe || !pipe->readerWaited());
        QVERIFY2(told.isEmpty() ? said.isEmpty() : said.contains(told), qPrintable(said));
    }
};

QTEST_GUILESS_MAIN(TestTaskListEditor)
#include "test_task_list_editor.moc"

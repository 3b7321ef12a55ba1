#include "support/Clips.h"
#include "support/RecordingSeams.h"
#include "tasks/Durations.h"
#include "ui/ClipPreview.h"
#include "ui/MainWindowJobView.h"
#include "ui/PreviewDialog.h"
#include "ui/TMainForm.h"
#include "ui/TaskListColumns.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QTreeView>

// The task list commands driven through the main window's real widgets.
class TestMainWindowTasks : public QObject
{
    Q_OBJECT

    QTemporaryDir m_programDir;
    QTemporaryDir* m_videos = nullptr;
    RecordingSeams* m_doubles = nullptr;
    TMainForm* m_form = nullptr;

    QString video(const QString& name)
    {
        const QString path = m_videos->filePath(name);
        if (!QFile::exists(path) && !QFile::copy(clipPath("clip.avi"), path))
            qFatal("cannot copy to %s", qPrintable(path));
        return path;
    }
    void makeForm(const QStringList& arguments = {}, const QString& workingDirectory = {})
    {
        delete m_form;
        m_form =
            new TMainForm(m_doubles->seams(), InitProgramInfo("1.5"),
                          portablePlaces(m_programDir.path() + "/"), arguments, workingDirectory);
    }
    QAction* action(const char* name) const { return m_form->findChild<QAction*>(name); }
    QTreeView* list() const { return m_form->findChild<QTreeView*>("ltvTask"); }
    QWidget* panel() const { return m_form->findChild<QWidget*>("panltvTask"); }
    QMenu* popup() const { return m_form->findChild<QMenu*>("ppmTask"); }
    QStringList listed() const
    {
        QStringList names;
        for (int row = 0; row < m_form->taskList().rowCount(); ++row)
            names << QFileInfo(m_form->taskList().ReadItemData(row).path).fileName();
        return names;
    }
    // Adds the named videos in this order through Add Files.
    void addVideos(const QStringList& names)
    {
        QStringList chosen;
        for (const QString& name : names)
            chosen << video(name);
        m_doubles->dialogs.openAnswers.enqueue(chosen);
        action("tbtnAddFile")->trigger();
    }
    void select(const QList<int>& rows)
    {
        list()->clearSelection();
        for (int row : rows) {
            list()->selectionModel()->select(m_form->taskList().index(row, 0),
                                             QItemSelectionModel::Select |
                                                 QItemSelectionModel::Rows);
        }
    }
    QList<int> selectedRows() const
    {
        QList<int> rows;
        for (const QModelIndex& index : list()->selectionModel()->selectedRows())
            rows << index.row();
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    bool taskButtonsEnabled() const
    {
        for (const char* name : {"tbtnUp", "tbtnDown", "tbtnRemove", "tbtnClear", "tbtnStart"}) {
            if (!action(name)->isEnabled())
                return false;
        }
        return true;
    }
    void drop(const QStringList& paths)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(path);
        data.setUrls(urls);
        QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        // Straight to the window: QApplication holds back drops that no drag started.
        static_cast<QObject*>(m_form)->event(&event);
    }

private slots:
    void init()
    {
        m_videos = new QTemporaryDir;
        m_doubles = new RecordingSeams;
        makeForm();
    }
    void cleanup()
    {
        delete m_form;
        m_form = nullptr;
        delete m_doubles;
        delete m_videos;
    }

    void toolbarHoldsTheThirteenButtonsInOrder()
    {
        const auto* toolbar = m_form->findChild<QToolBar*>();
        QCOMPARE(toolbar->height(), 75);
        QStringList entries;
        for (QAction* entry : toolbar->actions()) {
            if (!entry->isSeparator())
                QCOMPARE(toolbar->widgetForAction(entry)->size(), QSize(56, 54));
            entries << (entry->isSeparator() ? QString("|")
                                             : entry->objectName() + "=" + entry->toolTip() +
                                                   (entry->isEnabled() ? "" : " (off)"));
        }
        QCOMPARE(entries, QStringList({"tbtnAddFile=Add Video Files", "tbtnAddDir=Add Directory",
                                       "|", "tbtnUp=Move Up (off)", "tbtnDown=Move Down (off)",
                                       "tbtnRemove=Remove (off)", "tbtnClear=Clear (off)", "|",
                                       "tbtnStart=Start (off)", "tbtnStop=Stop (off)", "|",
                                       "tbtnSetting=General Settings", "|", "tbtnAbout=About",
                                       "tbtnHelp=Help"}));
    }

    void listStartsWithItsColumnsUnderTheGettingStartedPanel()
    {
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        QHeaderView* header = list()->header();
        const QList<int> widths{350, 90, 80, 150};
        const QStringList captions{"Input File", "Length", "Size", "Status"};
        for (int column = 0; column < 4; ++column) {
            QCOMPARE(header->sectionSize(column), widths[column]);
            QCOMPARE(list()->model()->headerData(column, Qt::Horizontal).toString(),
                     captions[column]);
        }
        QCOMPARE(list()->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(list()->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(list()->editTriggers(), QAbstractItemView::NoEditTriggers);
        QVERIFY(panel()->isVisible());
        QCOMPARE(panel()->width(), 768);
        QCOMPARE(m_form->findChild<QLabel*>("labProgramName")->text(), QString("Vantomel"));
        QStringList menu;
        for (QAction* item : popup()->actions())
            menu << (item->isSeparator() ? QString("|") : item->text());
        QCOMPARE(menu, QStringList({"Open", "Preview", "|", "Add Files...", "Add Directorys...",
                                    "|", "Remove", "Clear", "|", "Open List...", "Save List...",
                                    "|", "Sort by Date Taken", "Clear In and Out", "Undo"}));
    }

    void columnsShareAWidthChangeOfTheList()
    {
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        QHeaderView* header = list()->header();
        m_form->resize(m_form->width() + 100, m_form->height());
        QTRY_COMPARE(header->sectionSize(0), 350 + 49);
        QCOMPARE(header->sectionSize(1), 90 + 17);
        QCOMPARE(header->sectionSize(2), 80 + 15);
        QCOMPARE(header->sectionSize(3), 150 + 19);
        m_form->resize(m_form->width() - 100, m_form->height());
        QTRY_COMPARE(header->sectionSize(0), 350);
        QCOMPARE(header->sectionSize(3), 150);
        QVERIFY(panel()->isVisible());
        QCOMPARE(panel()->width(), 768);
    }

    void addingFilesHidesThePanelAndEnablesTheTaskButtons()
    {
        addVideos({"a.avi", "b.avi"});
        QCOMPARE(listed(), QStringList({"a.avi", "b.avi"}));
        QVERIFY(panel()->isHidden());
        QVERIFY(taskButtonsEnabled());
        QVERIFY(!action("tbtnStop")->isEnabled());
        QCOMPARE(m_form->taskList().index(0, 3).data().toString(), QString("OK"));
    }

    void addDirectoryAsksForAFolder()
    {
        video("x.avi");
        m_doubles->dialogs.folderAnswers.enqueue(m_videos->path());
        popup()->actions().at(4)->trigger();
        QCOMPARE(listed(), QStringList({"x.avi"}));
        QCOMPARE(m_doubles->dialogs.titlesSeen, QStringList({"Add a directory to the Task List"}));
        QVERIFY(taskButtonsEnabled());
    }

    void moveUp_data()
    {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QStringList>("order");
        QTest::addColumn<QList<int>>("selectedAfter");
        QTest::newRow("nothing selected")
            << QList<int>{} << QStringList{"a", "b", "c", "d", "e"} << QList<int>{};
        QTest::newRow("top row stays")
            << QList<int>{0} << QStringList{"a", "b", "c", "d", "e"} << QList<int>{0};
        QTest::newRow("block of two")
            << QList<int>{2, 3} << QStringList{"a", "c", "d", "b", "e"} << QList<int>{1, 2};
        QTest::newRow("top two exchange")
            << QList<int>{0, 1} << QStringList{"b", "a", "c", "d", "e"} << QList<int>{0};
        QTest::newRow("scattered")
            << QList<int>{1, 4} << QStringList{"b", "a", "c", "e", "d"} << QList<int>{0, 3};
    }
    void moveUp()
    {
        QFETCH(QList<int>, selected);
        QFETCH(QStringList, order);
        QFETCH(QList<int>, selectedAfter);
        addVideos({"a.avi", "b.avi", "c.avi", "d.avi", "e.avi"});
        select(selected);
        action("tbtnUp")->trigger();
        QCOMPARE(listed().replaceInStrings(".avi", ""), order);
        QCOMPARE(selectedRows(), selectedAfter);
        QVERIFY(taskButtonsEnabled());
        // A move that changed nothing is no change to take back: the add is.
        action("mnuUndo")->trigger();
        const QStringList before{"a", "b", "c", "d", "e"};
        QCOMPARE(listed().replaceInStrings(".avi", ""), order == before ? QStringList() : before);
    }

    void moveDown_data()
    {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QStringList>("order");
        QTest::addColumn<QList<int>>("selectedAfter");
        QTest::newRow("bottom row stays")
            << QList<int>{4} << QStringList{"a", "b", "c", "d", "e"} << QList<int>{4};
        QTest::newRow("block of two")
            << QList<int>{1, 2} << QStringList{"a", "d", "b", "c", "e"} << QList<int>{2, 3};
        QTest::newRow("bottom two exchange")
            << QList<int>{3, 4} << QStringList{"a", "b", "c", "e", "d"} << QList<int>{4};
    }
    void moveDown()
    {
        QFETCH(QList<int>, selected);
        QFETCH(QStringList, order);
        QFETCH(QList<int>, selectedAfter);
        addVideos({"a.avi", "b.avi", "c.avi", "d.avi", "e.avi"});
        select(selected);
        action("tbtnDown")->trigger();
        QCOMPARE(listed().replaceInStrings(".avi", ""), order);
        QCOMPARE(selectedRows(), selectedAfter);
        action("mnuUndo")->trigger();
        const QStringList before{"a", "b", "c", "d", "e"};
        QCOMPARE(listed().replaceInStrings(".avi", ""), order == before ? QStringList() : before);
    }

    void removeDeletesTheSelectedRowsAndEmptyingSwitchesTheButtonsOff()
    {
        addVideos({"a.avi", "b.avi", "c.avi"});
        action("tbtnRemove")->trigger();
        QCOMPARE(listed().size(), 3);
        QVERIFY(taskButtonsEnabled());
        select({0, 2});
        action("tbtnRemove")->trigger();
        QCOMPARE(listed(), QStringList({"b.avi"}));
        QVERIFY(taskButtonsEnabled());
        select({0});
        QTest::keyClick(list(), Qt::Key_Delete);
        QCOMPARE(listed(), QStringList());
        QVERIFY(!action("tbtnUp")->isEnabled());
        QVERIFY(!action("tbtnStart")->isEnabled());
        QVERIFY(action("tbtnAddFile")->isEnabled());
        QVERIFY(m_doubles->messages.shown.isEmpty());
        action("mnuUndo")->trigger();
        QCOMPARE(listed(), QStringList({"b.avi"}));
        QVERIFY(taskButtonsEnabled());
    }

    // Backspace is easily pressed by mistake: Clear asks, and a job's lock keeps undo off.
    void backspaceClearsAfterAYesAndUndoBringsTheRowsBack()
    {
        addVideos({"a.avi", "b.avi"});
        QTest::keyClick(list(), Qt::Key_Backspace);
        QCOMPARE(m_form->taskList().rowCount(), 2);
        QCOMPARE(m_doubles->messages.shown.size(), 1);
        QCOMPARE(m_doubles->messages.shown[0].caption, QString("Clear"));
        QCOMPARE(m_doubles->messages.shown[0].owner, m_form);
        m_doubles->messages.answers.enqueue(true);
        QTest::keyClick(list(), Qt::Key_Backspace);
        QCOMPARE(m_form->taskList().rowCount(), 0);
        QVERIFY(!taskButtonsEnabled());

        MainWindowJobView jobView(*m_form, m_form->controls(), m_doubles->taskbar, [] {});
        jobView.setLocked(true);
        action("mnuUndo")->trigger();
        QCOMPARE(m_form->taskList().rowCount(), 0);
        jobView.setLocked(false);
        action("mnuUndo")->trigger();
        QCOMPARE(listed(), QStringList({"a.avi", "b.avi"}));
        QVERIFY(taskButtonsEnabled());
    }

    void popupEnablesOpenAndRemoveForASelectionAndClearForRows()
    {
        auto states = [this] {
            emit popup()->aboutToShow();
            const QList<QAction*> items = popup()->actions();
            return QList<bool>{items[0]->isEnabled(), items[1]->isEnabled(), items[3]->isEnabled(),
                               items[4]->isEnabled(), items[6]->isEnabled(), items[7]->isEnabled()};
        };
        QCOMPARE(states(), (QList<bool>{false, false, true, true, false, false}));
        addVideos({"a.avi"});
        list()->clearSelection();
        QCOMPARE(states(), (QList<bool>{false, false, true, true, false, true}));
        select({0});
        QCOMPARE(states(), (QList<bool>{true, true, true, true, true, true}));
    }

    // A job locks both list commands; Save List also waits for rows to save.
    void listCommandsFollowTheRowsAndTheJobLock()
    {
        const auto states = [this] {
            return QList<bool>{action("mnuOpenList")->isEnabled(),
                               action("mnuSaveList")->isEnabled()};
        };
        QCOMPARE(states(), (QList<bool>{true, false}));
        addVideos({"a.avi"});
        QCOMPARE(states(), (QList<bool>{true, true}));
        MainWindowJobView jobView(*m_form, m_form->controls(), m_doubles->taskbar, [] {});
        jobView.setLocked(true);
        QCOMPARE(states(), (QList<bool>{false, false}));
        jobView.setLocked(false);
        QCOMPARE(states(), (QList<bool>{true, true}));
        m_doubles->messages.answers.enqueue(true);
        QTest::keyClick(list(), Qt::Key_Backspace);
        QCOMPARE(states(), (QList<bool>{true, false}));
    }

    // Double-click, Space and Preview (after Open in the menu) show the topmost selected clip,
    // which Left and Right then step through.
    void previewShowsTheTopmostSelectedClip_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("double-click") << "double-click";
        QTest::newRow("Space") << "Space";
        QTest::newRow("menu") << "menu";
    }
    void previewShowsTheTopmostSelectedClip()
    {
        QFETCH(QString, command);
        addVideos({"a.avi", "b.avi"});
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        const QRect second = list()->visualRect(m_form->taskList().index(1, 0));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, second.center());
        if (command == "double-click")
            QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, second.center());
        else if (command == "Space")
            QTest::keyClick(list(), Qt::Key_Space);
        else
            popup()->actions().at(1)->trigger();
        auto* dialog = m_form->findChild<PreviewDialog*>();
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), QString("b.avi"));
        QTRY_VERIFY2_WITH_TIMEOUT(dialog->preview().frame() == 0, "no picture within 20 s", 20000);
        QTest::keyClick(dialog, Qt::Key_Right);
        QTRY_VERIFY2_WITH_TIMEOUT(dialog->preview().frame() == 1, "no step within 20 s", 20000);
        // The encoder left out clip.avi's second picture at 40 ms.
        QCOMPARE(dialog->findChild<QLabel*>("labTime")->text(), QString("00:00:00.080"));
        QVERIFY(m_doubles->shell.opened.isEmpty());

        // I and O take the row from the picture shown to the end of the one shown then.
        QTest::keyClick(dialog, Qt::Key_I);
        QTest::keyClick(dialog, Qt::Key_Right);
        QTRY_VERIFY2_WITH_TIMEOUT(dialog->preview().frame() == 2, "no step within 20 s", 20000);
        QTest::keyClick(dialog, Qt::Key_O);
        const QModelIndex out = m_form->taskList().index(1, TaskListModel::OutPoint);
        QCOMPARE(out.siblingAtColumn(TaskListModel::InPoint).data().toString(),
                 QString("00:00:00.080"));
        QCOMPARE(out.data().toString(),
                 FormatMilliseconds(dialog->preview().timeline().frameMs.at(3)));
        dialog->close();
        // Each point is a change of its own.
        m_form->findChild<QAction*>("mnuUndo")->trigger();
        QVERIFY(!m_form->taskList().ReadItemData(1).outPoint);
        QVERIFY(m_form->taskList().ReadItemData(1).inPoint);
    }

    void openGivesTheTopmostSelectedFileToTheDesktop()
    {
        addVideos({"a.avi", "b.avi"});
        select({0, 1});
        popup()->actions().at(0)->trigger();
        QCOMPARE(m_doubles->shell.opened, QStringList({video("a.avi")}));
    }

    void droppingATextFileAddsNothingButHidesThePanel()
    {
        QFile text(m_videos->filePath("notes.txt"));
        text.open(QIODevice::WriteOnly);
        drop({text.fileName()});
        QCOMPARE(m_form->taskList().rowCount(), 0);
        QVERIFY(panel()->isHidden());
        QVERIFY(!taskButtonsEnabled());
    }

    void droppedFoldersAndVideosAreAdded()
    {
        video("a.avi");
        video("b.avi");
        const QString single = video("single.mov");
        drop({m_videos->path(), single});
        QCOMPARE(listed(), QStringList({"a.avi", "b.avi", "single.mov"}));
        QVERIFY(taskButtonsEnabled());
    }

    // While a job runs the rows stay readable, but nothing changes them.
    void aLockedListTakesNoChange()
    {
        addVideos({"b.avi", "a.avi"});
        select({0});
        m_form->setTaskListEnabled(false);
        QVERIFY(list()->isEnabled());
        drop({video("c.avi")});
        QTest::keyClick(list(), Qt::Key_Delete);
        QTest::keyClick(list(), Qt::Key_Backspace);
        emit list()->header()->sectionClicked(TaskListModel::InputFile);
        emit popup()->aboutToShow();
        QVERIFY(!action("mnuRemove")->isEnabled());
        QVERIFY(!action("mnuClear")->isEnabled());
        QCOMPARE(listed(), QStringList({"b.avi", "a.avi"}));
        m_form->setTaskListEnabled(true);
        drop({video("c.avi")});
        QCOMPARE(listed(), QStringList({"b.avi", "a.avi", "c.avi"}));
    }

    // The columns hidden from the header's menu stay hidden the next time.
    void hiddenColumnsStayHiddenAfterARestart()
    {
        m_form->show();
        QMenu menu;
        m_form->findChild<TaskListColumns*>()->addColumnActions(menu);
        for (QAction* column : menu.actions()) {
            if (column->text() == "Video" || column->text() == "Size")
                column->trigger();
        }
        m_form->close();
        makeForm();
        m_form->show();
        QHeaderView* header = list()->header();
        QVERIFY(header->isSectionHidden(TaskListModel::Video));
        QVERIFY(header->isSectionHidden(TaskListModel::Size));
        QVERIFY(!header->isSectionHidden(TaskListModel::Sound));
    }

    void commandLineFillsTheListBeforeTheWindowShows()
    {
        const QString a = video("a.wmv");
        QFile text(m_videos->filePath("b.txt"));
        text.open(QIODevice::WriteOnly);
        QTemporaryDir folder;
        QFile::copy(clipPath("clip.avi"), folder.filePath("inside.avi"));
        makeForm({a, text.fileName(), folder.path()});
        QCOMPARE(listed(), QStringList({"a.wmv", "inside.avi"}));
        QVERIFY(taskButtonsEnabled());
        QVERIFY(panel()->isHidden());
    }

    void aRelativePathOnTheCommandLineOpens()
    {
        const QString a = video("a.avi");
        makeForm({"a.avi"}, m_videos->path());
        select({0});
        popup()->actions().at(0)->trigger();
        QCOMPARE(m_doubles->shell.opened, QStringList{a});
    }

    void aFileNamedTwiceOnTheCommandLineAsksBeforeTheWindowShows()
    {
        const QString a = video("a.avi");
        m_doubles->messages.answers.enqueue(true);
        makeForm({a, a});
        QCOMPARE(listed(), QStringList({"a.avi", "a.avi"}));
        QCOMPARE(m_doubles->messages.shown.size(), 1);
        QCOMPARE(m_doubles->messages.shown[0].caption, QString("Already Listed"));
        QVERIFY(!m_form->isVisible());
    }

    // The names were given together: one that is no video is told about, by name, over the
    // window once it shows, and the others are added.
    void aFileOnTheCommandLineThatIsNoVideoIsNamedOverTheShownWindow()
    {
        const QString a = video("a.avi");
        const QString text = m_videos->filePath("text.avi");
        QVERIFY(QFile::copy(clipPath("text.avi"), text));
        makeForm({text, a});
        QCOMPARE(listed(), QStringList({"a.avi"}));
        QCoreApplication::processEvents();
        QVERIFY(m_doubles->messages.shown.isEmpty());
        m_form->show();
        QTRY_COMPARE(m_doubles->messages.shown.size(), 1);
        QCOMPARE(m_doubles->messages.shown[0].text,
                 "These files cannot be read as videos and were not added:\n\n" + text +
                     "\n'' is not a valid floating point value");
        QCOMPARE(m_doubles->messages.shown[0].owner, m_form);
    }
};

QTEST_MAIN(TestMainWindowTasks)
#include "test_main_window_tasks.moc"

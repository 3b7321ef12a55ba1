// The progress strip of a running job on a real X desktop: the main window made as narrow as the
// window manager lets it be, Start clicked with the pointer, a whole job with the real encoder.
// Every text of the strip fits its label in every frame painted, at the scale the desktop sets
// (QT_SCALE_FACTOR). progress-fit.sh runs it under Xvfb with openbox, once at each scale.
#include "job/RealProgram.h"
#include "support/Clips.h"
#include "support/ProgressStrip.h"
#include "support/RecordingSeams.h"

#include <QLabel>
#include <QMap>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

const QString kJoinTitle = QStringLiteral("Final Step: Joining all files...");
const QString kConversionTitle = QStringLiteral("Prepare (Converting):");
const QString kCompleted = QStringLiteral("The joining is completed successfully.");

// Runs a desktop tool to its end; false, with its error output, when it fails.
bool runTool(const QStringList& command, QString* error)
{
    QProcess tool;
    tool.start(command.first(), command.mid(1));
    if (tool.waitForFinished(20000) && tool.exitStatus() == QProcess::NormalExit &&
        tool.exitCode() == 0)
        return true;
    *error = command.join(QLatin1Char(' ')) + QStringLiteral(": ") +
             QString::fromLocal8Bit(tool.readAllStandardError()) + tool.errorString();
    return false;
}

// Watches every label of the progress strip as it paints: the text it draws then and the room it
// has. Keeps each text's tightest fit, every text that did not fit, and the titles drawn.
class PaintedFits : public QObject
{
public:
    explicit PaintedFits(QWidget& mainWindow) : m_main(mainWindow)
    {
        for (QLabel* label : mainWindow.findChild<QWidget*>(QStringLiteral("panBottomLeft"))
                                 ->findChildren<QLabel*>())
            label->installEventFilter(this);
    }

    QStringList overflows;
    QStringList titles;
    // Each label's tightest fit: how it showed then, and the pixels it had to spare.
    QMap<QString, QPair<QString, int>> tightest;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        for (const ProgressLabelFit& fit : progressLabelFits(m_main)) {
            if (fit.name != watched->objectName())
                continue;
            if (fit.name == QLatin1String("labProcessTitle") && !titles.contains(fit.shown))
                titles << fit.shown;
            const QString window = QStringLiteral("%1 in a window %2 pixels wide (its minimum %3)")
                                       .arg(fit.describe())
                                       .arg(m_main.width())
                                       .arg(m_main.minimumWidth());
            if (!fit.fits())
                overflows << window;
            const auto known = tightest.constFind(fit.name);
            if (known == tightest.cend() || fit.width - fit.needed < known->second)
                tightest.insert(fit.name, {window, fit.width - fit.needed});
        }
        return false;
    }

private:
    QWidget& m_main;
};

} // namespace

class DesktopProgressFit : public QObject
{
    Q_OBJECT

    std::unique_ptr<ProgramCopy> m_program;
    QTemporaryDir m_inputs;

    // Asks the window manager for a size below any minimum; the window keeps its own minimum.
    static bool narrowThroughTheWindowManager(const QWidget& window, QString* error)
    {
        return runTool({QStringLiteral("xdotool"), QStringLiteral("windowsize"),
                        QString::number(window.winId()), QStringLiteral("1"),
                        QString::number(qRound(window.height() * window.devicePixelRatioF()))},
                       error);
    }

    // Clicks the middle of a widget with the pointer; xdotool counts in the screen's pixels. The
    // pointer comes from the screen's corner: a move to where it already is would wait for a
    // motion that never comes.
    static bool click(const QWidget& widget, QString* error)
    {
        const QPointF middle =
            QPointF(widget.mapToGlobal(widget.rect().center())) * widget.devicePixelRatioF();
        return runTool({QStringLiteral("xdotool"), QStringLiteral("mousemove"), QStringLiteral("0"),
                        QStringLiteral("0"), QStringLiteral("mousemove"), QStringLiteral("--sync"),
                        QString::number(qRound(middle.x())), QString::number(qRound(middle.y())),
                        QStringLiteral("click"), QStringLiteral("1")},
                       error);
    }

    // The strip as the screen shows it, saved for looking at.
    static void saveStripPicture(const QWidget& mainWindow, const QString& name)
    {
        const auto* strip = mainWindow.findChild<QWidget*>(QStringLiteral("panBottomLeft"));
        QCoreApplication::processEvents(); // the strip paints its last values
        const QRect area(strip->mapTo(&mainWindow, QPoint(0, 0)), strip->size());
        const QPixmap picture = mainWindow.screen()->grabWindow(
            mainWindow.winId(), area.x(), area.y(), area.width(), area.height());
        const QString folder = QStringLiteral(VANTOMEL_DESKTOP_SCREENSHOTS);
        QDir().mkpath(folder);
        picture.save(QDir(folder).filePath(name + QStringLiteral(".png")));
    }

private slots:
    void initTestCase()
    {
        m_program = std::make_unique<ProgramCopy>(programDirectory());
        QVERIFY(m_program->isValid());
        QVERIFY(m_inputs.isValid());
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    }

    void everyProgressTextFitsTheNarrowestWindow_data()
    {
        QTest::addColumn<bool>("onePass");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("two stages") << false << QStringList{kConversionTitle, kJoinTitle};
        QTest::newRow("one pass") << true << QStringList{kJoinTitle};
    }
    void everyProgressTextFitsTheNarrowestWindow()
    {
        QFETCH(bool, onePass);
        QFETCH(QStringList, titles);
        m_program->writePreferences(onePass ? "One Pass=1\r\n" : "");
        // A name too long for the narrow strip, shown shortened.
        const QString longName =
            m_inputs.filePath(QStringLiteral("a holiday film whose name is far too long.avi"));
        QVERIFY(QFile::exists(longName) || QFile::copy(clipPath("clip.avi"), longName));
        RecordingSeams doubles;
        RealWindows windows(doubles.seams(), *m_program,
                            {longName, clipPath("clip.mp4"), clipPath("clip.wmv")});
        windows.setConversionRunsAtOnce(1);
        QVERIFY(windows.selectProfile(QStringLiteral("MKV - H.264 and AAC")));
        const QString output = m_inputs.filePath(QStringLiteral("joined.mkv"));
        QFile::remove(output);
        windows.setOutputFile(output);
        TMainForm& main = windows.main();
        QVERIFY(QTest::qWaitForWindowActive(&main, 20000));

        QString error;
        QVERIFY2(narrowThroughTheWindowManager(main, &error), qPrintable(error));
        QTRY_VERIFY2_WITH_TIMEOUT(main.width() == main.minimumWidth(),
                                  qPrintable(QStringLiteral("the window stays %1 pixels wide, "
                                                            "its minimum is %2")
                                                 .arg(main.width())
                                                 .arg(main.minimumWidth())),
                                  10000);

        PaintedFits painted(main);
        const QString picture = QStringLiteral("progress-strip-%1-%2")
                                    .arg(onePass ? "one-pass" : "two-stages")
                                    .arg(qRound(main.devicePixelRatioF() * 100));
        doubles.messages.whileShown = [&] {
            if (doubles.messages.shown.last().text.startsWith(kCompleted))
                saveStripPicture(main, picture);
        };
        // However long a loaded machine takes, a job that does not end is stopped and told.
        bool overdue = false;
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, &main, [&] {
            overdue = true;
            windows.pressStop();
        });
        deadline.start(90000);
        auto* start = qobject_cast<QToolButton*>(
            main.findChild<QToolBar*>()->widgetForAction(windows.control<QAction>("tbtnStart")));
        QVERIFY(start);
        QVERIFY2(click(*start, &error), qPrintable(error));
        // The click starts the job once it arrives; the job runs inside its delivery.
        QTRY_VERIFY2_WITH_TIMEOUT(!doubles.messages.shown.isEmpty() || overdue,
                                  "the click on Start started no job", 20000);
        deadline.stop();
        QVERIFY2(!overdue, "the job did not end within 90 s");

        for (const auto& fit : std::as_const(painted.tightest))
            qInfo("tightest: %s", qPrintable(fit.first));
        QVERIFY2(painted.overflows.isEmpty(), qPrintable(painted.overflows.join('\n')));
        QCOMPARE(painted.titles, titles);
        QCOMPARE(doubles.messages.shown.size(), 1);
        QVERIFY2(doubles.messages.shown[0].text.startsWith(kCompleted),
                 qPrintable(doubles.messages.shown[0].text));
    }
};

QTEST_MAIN(DesktopProgressFit)
#include "desktop_progress_fit.moc"

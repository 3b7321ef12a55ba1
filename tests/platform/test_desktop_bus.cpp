// The task-bar entry and the notifications as a desktop hears them on a session bus of its own
// (the test runs under dbus-run-session).
#include "platform/QtSeams.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QTest>

namespace {

// Stands in for the desktop's notification service.
class NotificationService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QList<QVariantList> calls;

public slots:
    uint Notify(const QString& application, uint replaces, const QString& icon,
                const QString& summary, const QString& body, const QStringList& actions,
                const QVariantMap& hints, int timeout)
    {
        calls.append({application, replaces, icon, summary, body, actions,
                      hints.value("desktop-entry"), timeout});
        return calls.size();
    }
};

// Hears the launcher entry's updates as a dock would.
class Dock : public QObject
{
    Q_OBJECT

public:
    QList<QPair<QString, QVariantMap>> updates;

public slots:
    void Update(const QString& appUri, const QVariantMap& properties)
    {
        updates.append({appUri, properties});
    }
};

} // namespace

class TestDesktopBus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(QDBusConnection::sessionBus().isConnected(), "no session bus"); }

    void aNotificationReachesTheService()
    {
        QDBusConnection desktop =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, "desk");
        NotificationService service;
        QVERIFY(desktop.registerService("org.freedesktop.Notifications"));
        QVERIFY(desktop.registerObject("/org/freedesktop/Notifications", &service,
                                       QDBusConnection::ExportAllSlots));

        FreedesktopNotifications("Vantomel", "org.vantomel.Vantomel")
            .notify("Complete", "The joining is completed successfully.");
        QTRY_COMPARE(service.calls.size(), 1);
        QCOMPARE(service.calls[0],
                 (QVariantList{"Vantomel", 0u, "org.vantomel.Vantomel", "Complete",
                               "The joining is completed successfully.", QStringList(),
                               "org.vantomel.Vantomel", -1}));
        desktop.unregisterService("org.freedesktop.Notifications");
    }

    void theLauncherEntryShowsProgressOnceForEachChangeAndClears()
    {
        QDBusConnection desktop =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, "dock");
        Dock dock;
        // QtDBus names the receiving slot by its signature; there is no other way.
        QVERIFY(desktop.connect(QString(), QString(), "com.canonical.Unity.LauncherEntry", "Update",
                                &dock, SLOT(Update(QString, QVariantMap))));

        LauncherEntryTaskbar taskbar("org.vantomel.Vantomel.desktop");
        for (int percent : {0, 40, 40, 100})
            taskbar.showProgress(percent);
        taskbar.clearProgress();
        QTRY_COMPARE(dock.updates.size(), 4);
        const QList<QPair<double, bool>> expected{
            {0.0, true}, {0.4, true}, {1.0, true}, {0, false}};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(dock.updates[i].first, QString("application://org.vantomel.Vantomel.desktop"));
            QCOMPARE(dock.updates[i].second.value("progress").toDouble(), expected[i].first);
            QCOMPARE(dock.updates[i].second.value("progress-visible").toBool(), expected[i].second);
        }
    }
};

QTEST_GUILESS_MAIN(TestDesktopBus)
#include "test_desktop_bus.moc"

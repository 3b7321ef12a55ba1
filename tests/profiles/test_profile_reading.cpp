#include "profiles/Profile.h"
#include "profiles/ProfileList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestProfileReading : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString write(const QString& name, const QByteArray& content)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(content);
        return path;
    }

private slots:
    void readsTypeCaptionsAndIndex()
    {
        const QString path = write("full.bpf", "[main]\r\nType = 'mp4'\r\n"
                                               "[VIDEO codec]\r\nItems=2\r\nCaption0=H.264\r\n"
                                               "Caption1 = \"MPEG-4\"\r\nIndex=$1\r\n"
                                               "Description=Codec of the picture\r\n");
        const ProfileContents profile = readProfile(path);
        QCOMPARE(profile.outputExtension(), QString(".mp4"));
        QCOMPARE(profile[OutputSetting::VideoCodec].captions, QStringList({"H.264", "MPEG-4"}));
        QCOMPARE(profile[OutputSetting::VideoCodec].index, 1);
        QCOMPARE(sectionDescription(path, "video CODEC"), QString("Codec of the picture"));
        QCOMPARE(sectionDescription(path, "Aspect"), QString());
    }

    void badCountsAndIndexesFallBack_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("index");

        QTest::newRow("index beyond the choices") << QByteArray("Items=3\nIndex=5") << 3 << -1;
        QTest::newRow("negative index") << QByteArray("Items=3\nIndex=-1") << 3 << -1;
        QTest::newRow("no index") << QByteArray("Items=3") << 3 << -1;
        QTest::newRow("index not an integer") << QByteArray("Items=3\nIndex=1st") << 3 << -1;
        QTest::newRow("empty index") << QByteArray("Items=3\nIndex=") << 3 << -1;
        QTest::newRow("no items, captions ignored")
            << QByteArray("Caption0=a\nCaption1=b\nIndex=0") << 0 << -1;
        QTest::newRow("items not an integer") << QByteArray("Items=two\nCaption0=a") << 0 << -1;
        QTest::newRow("negative items") << QByteArray("Items=-4\nIndex=0") << 0 << -1;
        QTest::newRow("huge items are cut")
            << QByteArray("Items=2147483647\nIndex=300") << kMaxProfileItems << -1;
        QTest::newRow("index within the cut")
            << QByteArray("Items=0x7FFFFFFF\nIndex=255") << kMaxProfileItems << 255;
    }
    void badCountsAndIndexesFallBack()
    {
        QFETCH(QByteArray, section);
        const QString path = write("bad.bpf", "[Aspect]\n" + section + "\n");
        const ProfileContents profile = readProfile(path);
        QTEST(int(profile[OutputSetting::Aspect].captions.size()), "count");
        QTEST(profile[OutputSetting::Aspect].index, "index");
    }

    void missingFileOrSectionsGiveDefaults()
    {
        for (const QString& path : {m_dir.filePath("absent.bpf"), write("empty.bpf", "")}) {
            const ProfileContents profile = readProfile(path);
            QCOMPARE(profile.outputExtension(), QString(".avi"));
            for (const ProfileChoiceList& list : profile.lists) {
                QVERIFY(list.captions.isEmpty());
                QCOMPARE(list.index, -1);
            }
        }
    }

    void longCaptionsAreCut()
    {
        const QByteArray caption(5000, 'w');
        const QString path = write("long.bpf", "[Channels]\nItems=1\nCaption0=" + caption + "\n");
        QCOMPARE(readProfile(path)[OutputSetting::Channels].captions.value(0).size(), 2047);
    }

    void listsVisibleBpfFilesByCaseFreeName()
    {
        QTemporaryDir program;
        const QString profiles = program.path() + "/Profiles/";
        QCOMPARE(listProfiles({profiles}), QVector<ListedProfile>()); // no Profiles folder
        QDir(program.path()).mkdir("Profiles");
        for (const char* name : {"B.bpf", "a.bpf", "c.BPF", "Web.Low.bpf", ".hidden.bpf",
                                 "notes.txt", "bpf", "d.bpf.bak"})
            QFile(profiles + name).open(QIODevice::WriteOnly);
        QDir(profiles).mkdir("folder.bpf");
        // Each is read from the file listed, whatever the letter case of its extension.
        QCOMPARE(listProfiles({profiles}),
                 (QVector<ListedProfile>{{"a", profiles + "a.bpf"},
                                         {"B", profiles + "B.bpf"},
                                         {"c", profiles + "c.BPF"},
                                         {"Web.Low", profiles + "Web.Low.bpf"}}));
    }

    void aUsersProfileJoinsTheListAndReplacesItsNamesake()
    {
        QTemporaryDir program;
        QTemporaryDir user;
        const QString delivered = program.path() + "/";
        const QString own = user.path() + "/";
        for (const QString& path :
             {delivered + "a.bpf", delivered + "c.bpf", own + "b.bpf", own + "c.bpf"})
            QFile(path).open(QIODevice::WriteOnly);
        QCOMPARE(listProfiles({delivered, own}),
                 (QVector<ListedProfile>{
                     {"a", delivered + "a.bpf"}, {"b", own + "b.bpf"}, {"c", own + "c.bpf"}}));
    }

    void profilesThatIsNoFolderListsNothing()
    {
        QTemporaryDir program;
        QFile(program.filePath("Profiles")).open(QIODevice::WriteOnly);
        QCOMPARE(listProfiles({program.filePath("Profiles") + "/"}), QVector<ListedProfile>());
    }

    void unreadableFolderListsNothing()
    {
        if (QFileInfo(QDir::rootPath()).isWritable())
            QSKIP("permissions are not enforced for this user");
        QTemporaryDir program;
        QDir(program.path()).mkdir("Profiles");
        const QString profiles = program.filePath("Profiles");
        QFile(profiles + "/a.bpf").open(QIODevice::WriteOnly);
        QFile::setPermissions(profiles, QFileDevice::WriteOwner);
        QCOMPARE(listProfiles({profiles + "/"}), QVector<ListedProfile>());
        QFile::setPermissions(profiles, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ExeOwner);
    }
};

QTEST_GUILESS_MAIN(TestProfileReading)
#include "test_profile_reading.moc"

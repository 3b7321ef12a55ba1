#include "paths/WholeFile.h"
#include "profiles/EncoderOptions.h"
#include "support/FileSizeLimit.h"
#include "support/Files.h"
#include "support/NamedPipe.h"
#include "support/RecordingSeams.h"
#include "ui/TopSettingForm.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

namespace {

const char* const kProfile = R"(; A profile for phones.
[Main]
Type=mp4
[Video Codec]
Items=2
Caption0=MPEG-4
Caption1=H.264
Index=0
value0=mpeg4
value1=libx264
Description=The codec of the picture.
[Video Size]
Items=2
Caption0=320x240
Caption1=640x480
Index=1
value0=320:240
value1=640:480
[Video Bitrate]
Items=2
Caption0=800
Caption1=1200
Index=0
Description=Kilobits of picture per second.
[Aspect]
Items=3
Caption0=Automatic
Caption1=4:3
Caption2=16:9
Index=0
value1=4:3
value2=16:9
[Audio Codec]
Items=3
Caption0=MP3
Caption1=MP2
Caption2=PCM
Index=0
value1=mp2
Description=The codec of the sound.
[MP3 Encode]
Items=2
Caption0=VBR
Caption1=ABR
Index=1
value0=vbr
value1=abr
Description=How the MP3 bitrate is chosen.
[VBR Quality]
Items=1
Caption0=Best
Index=0
value0=0
[ABR CBR Bitrate]
Items=2
Caption0=128
Caption1=192
Index=1
value0=128
value1=192
[Audio Bitrate]
Items=2
Caption0=128
Caption1=192
Index=1
[Sample Rate]
Items=2
Caption0=44100
Caption1=48000
Index=9
[Channels]
Items=2
Caption0=1
Caption1=2
Index=1
value0=1
value1=2
)";

// Only what decides a copy: the pictures copied, the sound copied or encoded.
const char* const kCopyProfile = R"([Main]
Type=mkv
[Video Codec]
Items=1
Caption0=Copy (no re-encoding)
value0=copy
Index=0
[Audio Codec]
Items=2
Caption0=Copy (no re-encoding)
Caption1=AAC (re-encoded as one stream)
value0=copy
value1=aac
Index=1
)";

} // namespace

class TestTopSettingForm : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_profile;
    RecordingSeams m_doubles;
    QWidget m_mainWindow;
    std::unique_ptr<QTemporaryDir> m_userDir; // the user's profile folder, new for each test
    std::unique_ptr<CurrentProfile> m_current;
    prefs::GeneralSettings m_settings;
    std::unique_ptr<TopSettingForm> m_form;

    template <typename T> T* control(const char* name) const
    {
        T* widget = m_form->findChild<T*>(name);
        Q_ASSERT(widget);
        return widget;
    }
    QComboBox* combo(const char* name) const { return control<QComboBox>(name); }
    QString description() const { return control<QPlainTextEdit>("memDescription")->toPlainText(); }
    bool shows(const char* name) const { return control<QWidget>(name)->isVisibleTo(m_form.get()); }
    bool hasFocus(const char* name) const
    {
        const QWidget* target = control<QWidget>(name);
        const QWidget* focus = QApplication::focusWidget();
        return focus && (focus == target || target->isAncestorOf(focus));
    }
    void showDialog()
    {
        m_form->show();
        QApplication::setActiveWindow(m_form.get());
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }
    void type(const char* name, const QString& text)
    {
        QLineEdit* edit = qobject_cast<QLineEdit*>(control<QWidget>(name));
        if (!edit)
            edit = combo(name)->lineEdit();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }
    void clickOk() { QTest::mouseClick(control<QPushButton>("btnOK"), Qt::LeftButton); }

private slots:
    void initTestCase()
    {
        m_profile = m_dir.filePath("Phone.bpf");
        QFile file(m_profile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kProfile);
        m_mainWindow.show();
    }

    void init()
    {
        m_doubles.messages.shown.clear();
        m_userDir = std::make_unique<QTemporaryDir>();
        m_current = std::make_unique<CurrentProfile>();
        m_form = std::make_unique<TopSettingForm>(
            m_doubles.seams(), *m_current, QStringList{m_dir.path() + '/', m_userDir->path() + '/'},
            m_settings, m_userDir->path() + "/Preferences.ini", &m_mainWindow);
    }
    void cleanup()
    {
        m_form.reset();
        m_current.reset();
    }

    void createdEmptyWithTheLavcPanelAndTheQualityPair()
    {
        QCOMPARE(m_form->windowTitle(), QString("Output Settings"));
        QCOMPARE(m_form->size(), QSize(413, 473));
        QVERIFY(m_current->outputExtension().isEmpty());
        QVERIFY(control<QRadioButton>("rdbSelectSize")->isChecked());
        QVERIFY(shows("panLavc") && !shows("panMP3"));
        // Inside the hidden MP3 panel: only their own visibility counts.
        QVERIFY(!control<QWidget>("cmbQuality")->isHidden());
        QVERIFY(control<QWidget>("cmbBitrate")->isHidden());
        QVERIFY(control<QWidget>("labBitrate")->isHidden());
        QCOMPARE(control<QWidget>("cmbBitrate")->y(), control<QWidget>("cmbQuality")->y());
        QCOMPARE(control<QWidget>("panMP3")->geometry().left(),
                 control<QWidget>("panLavc")->geometry().left());
        QCOMPARE(control<QWidget>("panMP3")->width(), 377);
    }

    void hintsAreTheSectionNamesAndNeverTooltips()
    {
        for (OutputSetting setting : kOutputSettings) {
            int found = 0;
            for (QComboBox* box : m_form->findChildren<QComboBox*>()) {
                if (box->property("hint").toString() == sectionName(setting)) {
                    ++found;
                    QVERIFY(box->toolTip().isEmpty());
                }
            }
            QCOMPARE(found, 1);
        }
    }

    void loadFillsTheBoxesAndRunsTheTwoReactions()
    {
        m_form->LoadProfile(m_profile);
        QCOMPARE(m_current->path(), m_profile);
        QCOMPARE(m_current->outputExtension(), QString(".mp4"));
        QCOMPARE(combo("cmbVcodec")->currentText(), QString("MPEG-4"));
        QCOMPARE(combo("cmbVbitrate")->currentText(), QString("800"));
        QCOMPARE(combo("cmbSrate")->count(), 2);
        QCOMPARE(combo("cmbSrate")->currentIndex(), -1); // index beyond the choices
        QCOMPARE(combo("cmbSrate")->currentText(), QString());
        QVERIFY(shows("panMP3") && !shows("panLavc"));
        QVERIFY(shows("cmbBitrate") && shows("labBitrate") && !shows("cmbQuality"));
        QCOMPARE(description(), QString("How the MP3 bitrate is chosen.\nCurrent Value: ABR"));
        QVERIFY(m_doubles.messages.shown.isEmpty());
    }

    // A profile that is not there, or is not read (a named pipe would block the program, a
    // link to a device fill its memory), changes nothing; the user is told once for each file
    // that is there but was not read.
    void aProfileNotReadChangesNothing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("why");
        QTest::newRow("missing") << "missing"
                                 << "";
        QTest::newRow("named pipe") << "pipe"
                                    << "it is a named pipe, not a regular file";
        QTest::newRow("link to /dev/zero") << "zero"
                                           << "it is a link to a device, not a regular file";
        QTest::newRow("sparse file beyond 64 MB") << "sparse"
                                                  << "it is larger than 64 MB";
    }
    void aProfileNotReadChangesNothing()
    {
        QFETCH(QString, kind);
        QFETCH(QString, why);
        const QString path = m_dir.filePath(kind + ".bpf");
        std::unique_ptr<NamedPipe> pipe;
        if (kind == "pipe") {
            pipe = std::make_unique<NamedPipe>(path, std::chrono::seconds(5));
            QVERIFY(pipe->isValid());
        } else if (kind == "zero") {
            QVERIFY(QFile::link("/dev/zero", path));
        } else if (kind == "sparse") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[Main]\nType=wmv\n");
            QVERIFY(file.resize(kWholeFileMaxBytes + 1));
        }
        m_form->LoadProfile(m_profile);
        const QString before = GetEncoderOptions(*m_current);

        m_form->LoadProfile(path);
        m_form->LoadProfile(m_profile);
        m_form->LoadProfile(path);

        QCOMPARE(m_current->path(), m_profile);
        QCOMPARE(m_current->outputExtension(), QString(".mp4"));
        QCOMPARE(GetEncoderOptions(*m_current), before);
        if (why.isEmpty()) {
            QVERIFY(m_doubles.messages.shown.isEmpty());
        } else {
            QCOMPARE(m_doubles.messages.shown.size(), 1);
            QCOMPARE(m_doubles.messages.shown.first().caption, QString("Profile Not Read"));
            QCOMPARE(m_doubles.messages.shown.first().text,
                     QString("The profile %1 was not read: %2.\n%3\n\nThe Output Settings stay "
                             "as they were.")
                         .arg(kind, why, path));
        }
        if (pipe) {
            QVERIFY(!pipe->readerWaited());
            QVERIFY(pipe->isStillAPipe());
        }
    }

    // Loading the saved profile gives the options the dialog composed before saving: chosen
    // choices become the preselected ones, a typed text that is none of the choices a new one,
    // kept exactly (a leading blank included).
    void savedProfileComposesTheSameOptions_data()
    {
        QTest::addColumn<int>("aspect");
        QTest::addColumn<QString>("videoBitrate"); // typed when not empty
        QTest::addColumn<QString>("sampleRate");
        QTest::newRow("changed choices") << 2 << "1200"
                                         << "48000";
        QTest::newRow("typed texts that are no choice") << 0 << " 1000"
                                                        << "22050";
    }
    void savedProfileComposesTheSameOptions()
    {
        QFETCH(int, aspect);
        QFETCH(QString, videoBitrate);
        QFETCH(QString, sampleRate);
        m_form->LoadProfile(m_profile);
        showDialog();
        combo("cmbAspect")->setCurrentIndex(aspect);
        type("cmbVbitrate", videoBitrate);
        type("cmbSrate", sampleRate);
        const QString composed = GetEncoderOptions(*m_current);
        QSignalSpy saved(m_form.get(), &TopSettingForm::profileSaved);
        m_doubles.dialogs.textAnswers << "Mine";

        QTest::mouseClick(control<QPushButton>("btnSaveAs"), Qt::LeftButton);

        QCOMPARE(m_doubles.messages.shown.size(), 0);
        QCOMPARE(m_doubles.dialogs.textQuestions.last().caption, QString("Save Profile As"));
        QCOMPARE(m_doubles.dialogs.textQuestions.last().text, QString("Phone (custom)"));
        QCOMPARE(saved.size(), 1);
        const QString path = m_userDir->filePath("Mine.bpf");
        QVERIFY(fileContents(path).startsWith("; A profile for phones.\n[Main]\nType=mp4\n"));
        m_form->LoadProfile(m_profile);
        m_form->LoadProfile(path);
        QCOMPARE(m_current->path(), path);
        QCOMPARE(GetEncoderOptions(*m_current), composed);
    }

    // "Same as the first video" comes back with the profile saved with it; the frame rate
    // beside the size is the General Settings' own, kept by OK.
    void firstVideoSizeAndFrameRateAreKept()
    {
        m_current->setFirstVideoSize("1080x1920");
        m_form->LoadProfile(m_profile);
        showDialog();
        QTest::mouseClick(control<QRadioButton>("rdbFirstVideoSize"), Qt::LeftButton);
        combo("cmbFrameRate")->setCurrentText("25");
        type("cmbSrate", "48000");
        m_doubles.dialogs.textAnswers << "Mine";
        QTest::mouseClick(control<QPushButton>("btnSaveAs"), Qt::LeftButton);
        QTest::mouseClick(control<QRadioButton>("rdbSelectSize"), Qt::LeftButton);

        m_form->LoadProfile(m_userDir->filePath("Mine.bpf"));
        QVERIFY(control<QRadioButton>("rdbFirstVideoSize")->isChecked());
        QCOMPARE(pictureSizeText(*m_current), QString("1080:1920"));
        clickOk();
        QCOMPARE(m_settings.frameRate, QString("25"));
        QVERIFY(fileContents(m_userDir->filePath("Preferences.ini")).contains("Frame Rate=25"));
    }

    // Declining to replace a profile, or a folder that takes no file, leaves every file as it
    // was, and nothing is reported as saved.
    void saveAsThatDoesNotSaveChangesNoFile_data()
    {
        QTest::addColumn<bool>("existing");
        QTest::addColumn<QString>("caption");
        QTest::newRow("replacing declined") << true << "Replace Profile";
        QTest::newRow("read-only folder") << false << "Profile Not Saved";
    }
    void saveAsThatDoesNotSaveChangesNoFile()
    {
        QFETCH(bool, existing);
        QFETCH(QString, caption);
        const QString path = m_userDir->filePath("Mine.bpf");
        if (existing)
            QVERIFY(writeFile(path, "; the user's own\n"));
        m_form->LoadProfile(m_profile);
        showDialog();
        type("cmbSrate", "48000");
        QSignalSpy saved(m_form.get(), &TopSettingForm::profileSaved);
        m_doubles.dialogs.textAnswers << "Mine"; // then the name question is cancelled
        const QFileDevice::Permissions writable = QFile::permissions(m_userDir->path());
        {
            std::optional<FileSizeLimit> limit;
            if (!existing) {
                QFile::setPermissions(m_userDir->path(),
                                      QFileDevice::ReadOwner | QFileDevice::ExeOwner);
                // Root writes into read-only folders, but not past this limit.
                limit.emplace(0);
            }
            QTest::mouseClick(control<QPushButton>("btnSaveAs"), Qt::LeftButton);
        }
        QFile::setPermissions(m_userDir->path(), writable);

        QCOMPARE(m_doubles.messages.shown.size(), 1);
        QCOMPARE(m_doubles.messages.shown.first().caption, caption);
        QCOMPARE(m_doubles.messages.shown.first().owner, m_form.get());
        QCOMPARE(saved.size(), 0);
        QCOMPARE(folderEntries(m_userDir->path()),
                 existing ? QStringList{"Mine.bpf"} : QStringList());
        if (existing)
            QCOMPARE(fileContents(path), QByteArray("; the user's own\n"));
    }

    void selectionFeedsTheOptionText()
    {
        m_form->LoadProfile(m_profile);
        type("cmbSrate", "48000");
        QCOMPARE(GetEncoderOptions(*m_current),
                 QString(" -ovc lavc -lavcopts vcodec=mpeg4:vbitrate=800:mbd=2:autoaspect -oac "
                         "mp3lame -lameopts abr:br=192 -channels 2 -vf scale=640:480 -srate "
                         "48000"));
        QCOMPARE(pictureSizeText(*m_current), QString("640:480"));
    }

    void descriptionFollowsFocusChoiceAndTyping()
    {
        m_form->LoadProfile(m_profile);
        showDialog();
        combo("cmbVcodec")->setFocus();
        QCOMPARE(description(), QString("The codec of the picture.\nCurrent Value: MPEG-4"));
        QTest::keyClick(combo("cmbVcodec"), Qt::Key_Down);
        QCOMPARE(description(), QString("The codec of the picture.\nCurrent Value: H.264"));

        combo("cmbVbitrate")->setFocus();
        combo("cmbVbitrate")->lineEdit()->selectAll();
        QTest::keyClick(combo("cmbVbitrate")->lineEdit(), Qt::Key_Backspace);
        QTest::keyClicks(combo("cmbVbitrate")->lineEdit(), "15");
        QCOMPARE(description(), QString("Kilobits of picture per second.\nCurrent Value: 15"));

        combo("cmbChannels")->setFocus(); // no description in its section
        QCOMPARE(description(), QString("\nCurrent Value: 2"));
    }

    void audioCodecAndEncodeModeReactions()
    {
        m_form->LoadProfile(m_profile);
        showDialog();
        QTest::keyClick(combo("cmbAcodec"), Qt::Key_Down);
        QCOMPARE(combo("cmbAcodec")->currentText(), QString("MP2"));
        QVERIFY(shows("panLavc") && !shows("panMP3"));
        QCOMPARE(description(), QString("The codec of the sound.\nCurrent Value: MP2"));
        QTest::keyClick(combo("cmbAcodec"), Qt::Key_Down); // PCM shows the audio bitrate too
        QVERIFY(shows("panLavc") && !shows("panMP3"));
        QTest::keyClick(combo("cmbAcodec"), Qt::Key_Home);
        QVERIFY(shows("panMP3") && !shows("panLavc"));

        QTest::keyClick(combo("cmbEncodeTo"), Qt::Key_Up);
        QVERIFY(shows("cmbQuality") && shows("labQuality") && !shows("cmbBitrate"));
        QCOMPARE(description(), QString("How the MP3 bitrate is chosen.\nCurrent Value: VBR"));
    }

    // The settings a copy leaves out are greyed out, the sound's only while it is copied too;
    // Cancel and a profile that re-encodes bring them back.
    void aCopyGreysOutWhatItLeavesOut()
    {
        const QString copyProfile = m_dir.filePath("Copy.bpf");
        QFile file(copyProfile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kCopyProfile);
        file.close();
        const auto enabled = [this](std::initializer_list<const char*> names) {
            QStringList states;
            for (const char* name : names)
                states << QString(name) + (control<QWidget>(name)->isEnabled() ? " on" : " off");
            return states.join(", ");
        };
        const auto picture = {"cmbVcodec", "cmbVbitrate", "cmbAspect", "gpbOutputSize"};
        const auto sound = {"cmbAcodec", "cmbAbitrate", "cmbChannels", "cmbSrate"};

        m_form->LoadProfile(copyProfile);
        showDialog();
        QCOMPARE(enabled(picture),
                 QString("cmbVcodec on, cmbVbitrate off, cmbAspect off, gpbOutputSize off"));
        QCOMPARE(enabled(sound),
                 QString("cmbAcodec on, cmbAbitrate on, cmbChannels on, cmbSrate on"));
        QTest::keyClick(combo("cmbAcodec"), Qt::Key_Home);
        QCOMPARE(enabled(sound),
                 QString("cmbAcodec on, cmbAbitrate off, cmbChannels off, cmbSrate off"));
        QTest::mouseClick(control<QPushButton>("btnCancel"), Qt::LeftButton);
        QCOMPARE(enabled(sound),
                 QString("cmbAcodec on, cmbAbitrate on, cmbChannels on, cmbSrate on"));
        m_form->LoadProfile(m_profile);
        QCOMPARE(enabled(picture),
                 QString("cmbVcodec on, cmbVbitrate on, cmbAspect on, gpbOutputSize on"));
    }

    void mainWindowIsDisabledWhileShown_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("OK") << "ok";
        QTest::newRow("Cancel") << "cancel";
        QTest::newRow("close box") << "close";
        QTest::newRow("Escape") << "escape";
    }
    void mainWindowIsDisabledWhileShown()
    {
        QFETCH(QString, way);
        m_form->LoadProfile(m_profile);
        type("cmbSrate", "44100");
        showDialog();
        QVERIFY(!m_mainWindow.isEnabled());
        if (way == "ok")
            clickOk();
        else if (way == "cancel")
            QTest::mouseClick(control<QPushButton>("btnCancel"), Qt::LeftButton);
        else if (way == "close")
            m_form->close();
        else
            QTest::keyClick(m_form.get(), Qt::Key_Escape);
        QVERIFY(!m_form->isVisible());
        QVERIFY(m_mainWindow.isEnabled());
        QVERIFY(m_doubles.messages.shown.isEmpty());
    }

    void okChecksInOrder_data()
    {
        QTest::addColumn<QString>("videoBitrate");
        QTest::addColumn<bool>("manual");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("sampleRate");
        QTest::addColumn<QString>("audioBitrate");
        QTest::addColumn<int>("audioCodec");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("focus");

        QTest::newRow("video bitrate with trailing blank") << "800 " << true << ""
                                                           << ""
                                                           << ""
                                                           << "" << 1 << "Invalid Video Bitrate"
                                                           << "The video bitrate is invalid."
                                                           << "cmbVbitrate";
        QTest::newRow("width") << " 800" << true << ""
                               << ""
                               << ""
                               << "" << 1 << "Invalid Width"
                               << "The output width is invalid."
                               << "edtWidth";
        QTest::newRow("height") << "800" << true << "720"
                                << "5 76"
                                << ""
                                << "" << 1 << "Invalid Height"
                                << "The output height is invalid."
                                << "edtHeight";
        QTest::newRow("sample rate, list size ignores the fields")
            << "800" << false << ""
            << ""
            << "44.1"
            << "" << 1 << "Invalid Sample Rate"
            << "The sample rate is invalid."
            << "cmbSrate";
        QTest::newRow("audio bitrate") << "800" << false << ""
                                       << ""
                                       << "44100"
                                       << "12k" << 1 << "Invalid Audio Bitrate"
                                       << "The Audio bitrate is invalid."
                                       << "cmbAbitrate";
        QTest::newRow("audio bitrate under MP3 focuses the codec")
            << "800" << false << ""
            << ""
            << "44100"
            << "12k" << 0 << "Invalid Audio Bitrate"
            << "The Audio bitrate is invalid."
            << "cmbAcodec";
    }
    void okChecksInOrder()
    {
        QFETCH(bool, manual);
        QFETCH(int, audioCodec);
        QFETCH(QString, caption);
        m_form->LoadProfile(m_profile);
        showDialog();
        QFETCH(QString, videoBitrate);
        type("cmbVbitrate", videoBitrate);
        QTest::mouseClick(control<QRadioButton>(manual ? "rdbManualSize" : "rdbSelectSize"),
                          Qt::LeftButton);
        QFETCH(QString, width);
        QFETCH(QString, height);
        QFETCH(QString, sampleRate);
        QFETCH(QString, audioBitrate);
        type("edtWidth", width);
        type("edtHeight", height);
        type("cmbSrate", sampleRate);
        type("cmbAbitrate", audioBitrate);
        combo("cmbAcodec")->setFocus();
        while (combo("cmbAcodec")->currentIndex() != audioCodec)
            QTest::keyClick(combo("cmbAcodec"), Qt::Key_Down);

        clickOk();
        QCOMPARE(m_doubles.messages.shown.size(), 1);
        QCOMPARE(m_doubles.messages.shown[0].kind, QString("info"));
        QCOMPARE(m_doubles.messages.shown[0].caption, caption);
        QTEST(m_doubles.messages.shown[0].text, "text");
        QFETCH(QString, focus);
        QVERIFY2(hasFocus(focus.toUtf8()), qPrintable(focus));
        QVERIFY(m_form->isVisible());
        QVERIFY(!m_mainWindow.isEnabled());
        QCOMPARE(combo("cmbVbitrate")->currentText(), videoBitrate); // the text stays as typed
    }

    void mp2OverTheLimitIsCutThenAccepted()
    {
        m_form->LoadProfile(m_profile);
        type("cmbSrate", "44100");
        showDialog();
        QTest::keyClick(combo("cmbAcodec"), Qt::Key_Down); // MP2
        type("cmbAbitrate", "200");
        clickOk();
        QCOMPARE(m_doubles.messages.shown.size(), 1);
        QCOMPARE(m_doubles.messages.shown[0].caption, QString("Invalid Audio Bitrate"));
        QCOMPARE(m_doubles.messages.shown[0].text,
                 QString("The maximum value of audio bitrate for MP2 codec is 128"));
        QCOMPARE(combo("cmbAbitrate")->currentText(), QString("128"));
        QVERIFY(hasFocus("cmbAbitrate"));
        QVERIFY(m_form->isVisible());
        clickOk();
        QCOMPARE(m_doubles.messages.shown.size(), 1);
        QVERIFY(!m_form->isVisible());
        QVERIFY(m_mainWindow.isEnabled());
    }

    void cancelPutsEveryRememberedValueBack()
    {
        m_form->LoadProfile(m_profile);
        control<QLineEdit>("edtWidth")->setText("320");
        showDialog();
        const OutputSelection shown = m_current->selection();

        QTest::keyClick(combo("cmbVcodec"), Qt::Key_Down);
        type("cmbVbitrate", "5000");
        QTest::mouseClick(control<QRadioButton>("rdbManualSize"), Qt::LeftButton);
        type("edtWidth", "1000");
        type("edtHeight", "700");
        QTest::keyClick(combo("cmbAcodec"), Qt::Key_End); // PCM
        type("cmbAbitrate", "64");
        combo("cmbBitrate")->setFocus();
        QTest::keyClick(combo("cmbBitrate"), Qt::Key_Up);
        type("cmbBitrate", "999");
        QTest::mouseClick(control<QPushButton>("btnCancel"), Qt::LeftButton);

        QVERIFY(!m_form->isVisible());
        const OutputSelection restored = m_current->selection();
        for (OutputSetting setting : kOutputSettings) {
            QCOMPARE(restored[setting].index, shown[setting].index);
            QCOMPARE(restored[setting].text, shown[setting].text);
        }
        QVERIFY(control<QRadioButton>("rdbSelectSize")->isChecked());
        QVERIFY(!control<QRadioButton>("rdbManualSize")->isChecked());
        QCOMPARE(restored.width, QString("320"));
        QCOMPARE(restored.height, QString());
        QVERIFY(shows("panMP3") && !shows("panLavc"));
    }

    void closeBoxKeepsUncheckedValues()
    {
        m_form->LoadProfile(m_profile);
        showDialog();
        QTest::keyClick(combo("cmbAcodec"), Qt::Key_Down); // MP2
        type("cmbAbitrate", "many");
        m_form->close();
        QVERIFY(!m_form->isVisible());
        QVERIFY(m_doubles.messages.shown.isEmpty());
        const OutputSelection kept = m_current->selection();
        QCOMPARE(kept[OutputSetting::AudioBitrate].text, QString("many"));
        const auto refusal = checkSelectionForStart(kept);
        QVERIFY(refusal);
        QCOMPARE(refusal->caption, QString("Invalid Audio Bitrate"));
    }
};

QTEST_MAIN(TestTopSettingForm)
#include "test_top_setting_form.moc"

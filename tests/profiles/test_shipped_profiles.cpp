#include "OutputContainers.h"
#include "prefs/IniFile.h"
#include "prefs/IntegerText.h"
#include "prefs/Preferences.h"
#include "profiles/CurrentProfile.h"
#include "profiles/Profile.h"
#include "profiles/ProfileList.h"
#include "profiles/SelectionChecks.h"

#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <algorithm>

namespace {

using Names = QSet<QString>;

QString text(std::string_view name)
{
    return QString::fromUtf8(name);
}

bool listed(vantomel::CodecNames names, const QString& name)
{
    return std::find(names.begin(), names.end(), name.toStdString()) != names.end();
}

// Whether the container takes the codec a profile's option names: "copy" where it takes a copy.
bool takesVideo(const vantomel::OutputContainer& container, const QString& codec)
{
    if (codec == "copy")
        return !container.copiedVideo.empty();
    return container.takesEveryEncoder || listed(container.videoEncoders, codec);
}

bool takesAudio(const vantomel::OutputContainer& container, const QString& codec)
{
    if (codec == "copy")
        return !container.copiedAudio.empty();
    return container.takesEveryEncoder || listed(container.audioEncoders, codec);
}

// The rates the container allows for the audio encoder; empty: whatever the encoder takes.
Names containerRates(const vantomel::OutputContainer& container, const QString& codec)
{
    Names rates;
    for (const vantomel::SampleRateLimit& limit : container.sampleRates)
        if (text(limit.audioEncoder) == codec)
            for (int rate : limit.rates)
                rates << QString::number(rate);
    return rates;
}

// Sample rates each audio codec encodes. MP3 and MP2 keep to the MPEG-1 rates, where every
// offered bitrate up to 320 kbit/s is allowed.
Names sampleRatesOf(const QString& audioCodec)
{
    static const QMap<QString, Names> rates = {
        {"libmp3lame", {"32000", "44100", "48000"}},
        {"mp2", {"32000", "44100", "48000"}},
        {"ac3", {"32000", "44100", "48000"}},
        {"aac", {"8000", "11025", "16000", "22050", "24000", "32000", "44100", "48000"}},
        {"wmav2", {"8000", "11025", "16000", "22050", "32000", "44100", "48000"}},
        {"pcm_s16le", {"8000", "11025", "16000", "22050", "32000", "44100", "48000"}},
    };
    return rates.value(audioCodec);
}

QString audioCodecOf(const CurrentProfile& profile, const QString& caption, int index)
{
    if (caption == "MP3")
        return "libmp3lame";
    if (caption == "PCM")
        return "pcm_s16le";
    return profile.value(OutputSetting::AudioCodec, index, QString());
}

QStringList valuesOf(const CurrentProfile& profile, OutputSetting setting, int count)
{
    QStringList values;
    for (int n = 0; n < count; ++n)
        values << profile.value(setting, n, QString());
    return values;
}

QList<int> integersOf(const QStringList& captions)
{
    QList<int> numbers;
    for (const QString& caption : captions)
        numbers << parseIntegerText(caption).value_or(-1);
    return numbers;
}

} // namespace

class TestShippedProfiles : public QObject
{
    Q_OBJECT

    const QString m_programDir = QStringLiteral(SHIPPED_PROGRAM_DIR);

private slots:
    // Every output type has a profile, and the profiles the program and the encoder suggest are
    // shipped, for the container they are suggested for.
    void everyOutputTypeHasItsProfiles()
    {
        QMap<QString, QString> typeOfProfile;
        for (const ListedProfile& profile : listProfiles({m_programDir + "Profiles/"}))
            typeOfProfile[profile.name] = readProfile(profile.path).outputType;
        const QList<QString> types = typeOfProfile.values();
        for (const vantomel::OutputContainer& container : vantomel::outputContainers()) {
            const QString type = text(container.extensions.front());
            QVERIFY2(types.contains(type), qPrintable(type));
            for (std::string_view suggested : {container.copyProfile, container.reencodeProfile})
                if (!suggested.empty())
                    QCOMPARE(typeOfProfile.value(text(suggested)), type);
        }
    }

    // The profile box opens on the position the delivered preferences name: a profile added in
    // front of it must not move the default.
    void deliveredPreferencesChooseTheMp4Profile()
    {
        const prefs::MainWindowChoice stored =
            prefs::readMainWindowChoice(m_programDir + "Preferences.ini");
        QStringList names;
        for (const ListedProfile& profile : listProfiles({m_programDir + "Profiles/"}))
            names << profile.name;
        const int index = storedProfilePosition(names, stored.profileIndex, stored.profileName);
        QVERIFY(index >= 0);
        QCOMPARE(names[index], QString("MP4 - H.264 and AAC"));
        // Both keys agree, so that an older Vantomel, which reads the position only, agrees too.
        QCOMPARE(names[stored.profileIndex], QString("MP4 - H.264 and AAC"));
    }

    // The chosen profile is found by its name; a preferences file from before the name was kept
    // counts positions in the list as shipped then, so the MKV and copy profiles added since do
    // not move an older user's choice.
    void theStoredProfileIsFoundAgain_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("found");
        QTest::newRow("by name") << 0 << "MP4 - Same as the videos (no re-encoding)"
                                 << "MP4 - Same as the videos (no re-encoding)";
        QTest::newRow("an older file's MP4") << 4 << ""
                                             << "MP4 - H.264 and AAC";
        QTest::newRow("an older file's MOV") << 3 << ""
                                             << "MOV - H.264 and AAC";
        QTest::newRow("a name no longer listed") << 1 << "Gone"
                                                 << "AVI - MPEG-4 and MP3";
        QTest::newRow("past the end") << 40 << ""
                                      << "";
    }
    void theStoredProfileIsFoundAgain()
    {
        QFETCH(int, position);
        QFETCH(QString, name);
        QFETCH(QString, found);
        QStringList names;
        for (const ListedProfile& profile : listProfiles({m_programDir + "Profiles/"}))
            names << profile.name;
        const int index = storedProfilePosition(names, position, name);
        QCOMPARE(index < 0 ? QString() : names[index], found);
    }

    void profileIsCompleteAndFitsItsType_data()
    {
        QTest::addColumn<QString>("path");
        for (const ListedProfile& profile : listProfiles({m_programDir + "Profiles/"}))
            QTest::newRow(qPrintable(profile.name)) << profile.path;
    }
    void profileIsCompleteAndFitsItsType()
    {
        QFETCH(QString, path);
        const ProfileContents profile = readProfile(path);
        CurrentProfile loaded;
        QVERIFY(loaded.load(path));
        const vantomel::OutputContainer* row =
            vantomel::containerWithExtension(profile.outputType.toStdString());
        QVERIFY(row && text(row->extensions.front()) == profile.outputType);
        const vantomel::OutputContainer& container = *row;

        OutputSelection preselected;
        for (OutputSetting setting : kOutputSettings) {
            const ProfileChoiceList& list = profile[setting];
            QVERIFY2(!list.captions.isEmpty() && list.index >= 0, qPrintable(sectionName(setting)));
            QVERIFY(!sectionDescription(path, sectionName(setting)).isEmpty());
            preselected[setting] = {list.index, list.captions[list.index]};
        }
        // Confirming the dialog without a change must pass OK.
        QVERIFY(!checkOutputSelection(preselected));

        const int videoCodecs = profile[OutputSetting::VideoCodec].captions.size();
        for (const QString& codec : valuesOf(loaded, OutputSetting::VideoCodec, videoCodecs))
            QVERIFY2(takesVideo(container, codec), qPrintable(codec));

        static const QRegularExpression sizeText("^(\\d+):(\\d+)$");
        const int sizes = profile[OutputSetting::VideoSize].captions.size();
        for (const QString& size : valuesOf(loaded, OutputSetting::VideoSize, sizes)) {
            const auto match = sizeText.match(size);
            QVERIFY2(match.hasMatch(), qPrintable(size));
            const int width = match.captured(1).toInt(), height = match.captured(2).toInt();
            QVERIFY2(width % 2 == 0 && height % 2 == 0, qPrintable(size));
            QVERIFY(width >= 320 && width <= 1920 && height >= 240 && height <= 1080);
        }

        for (int bitrate : integersOf(profile[OutputSetting::VideoBitrate].captions))
            QVERIFY(bitrate >= 500 && bitrate <= 8000);
        for (int bitrate : integersOf(profile[OutputSetting::AudioBitrate].captions))
            QVERIFY(bitrate >= 32 && bitrate <= 320);

        QCOMPARE(profile[OutputSetting::Aspect].captions.value(0), QString("Automatic"));
        const QStringList aspects = valuesOf(loaded, OutputSetting::Aspect, 3).mid(1);
        QCOMPARE(aspects, QStringList({"4:3", "16:9"}));
        QCOMPARE(valuesOf(loaded, OutputSetting::Channels, 3), QStringList({"1", "2", ""}));

        const QStringList modes = valuesOf(loaded, OutputSetting::Mp3Encode, 3);
        QCOMPARE(modes, QStringList({"vbr", "abr", "cbr"}));
        const int qualities = profile[OutputSetting::VbrQuality].captions.size();
        for (int quality : integersOf(valuesOf(loaded, OutputSetting::VbrQuality, qualities)))
            QVERIFY(quality >= 0 && quality <= 9);
        const int mp3Bitrates = profile[OutputSetting::AbrCbrBitrate].captions.size();
        for (int bitrate : integersOf(valuesOf(loaded, OutputSetting::AbrCbrBitrate, mp3Bitrates)))
            QVERIFY(bitrate >= 32 && bitrate <= 320);

        const QStringList audioCaptions = profile[OutputSetting::AudioCodec].captions;
        const QStringList sampleRates = profile[OutputSetting::SampleRate].captions;
        for (int n = 0; n < audioCaptions.size(); ++n) {
            const QString codec = audioCodecOf(loaded, audioCaptions[n], n);
            QVERIFY2(takesAudio(container, codec), qPrintable(codec));
            if (codec == "copy") // the videos' own rate
                continue;
            for (const QString& rate : sampleRates) {
                QVERIFY2(sampleRatesOf(codec).contains(rate), qPrintable(codec + " " + rate));
                const Names allowed = containerRates(container, codec);
                QVERIFY2(allowed.isEmpty() || allowed.contains(rate), qPrintable(rate));
                // DVD players take no other rate.
                QVERIFY2(profile.outputType != "vob" || rate == "48000", qPrintable(rate));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestShippedProfiles)
#include "test_shipped_profiles.moc"

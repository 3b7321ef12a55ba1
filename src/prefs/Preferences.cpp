#include "Preferences.h"

#include "IniFile.h"
#include "paths/PathText.h"
#include "paths/WholeFile.h"

#include <QRegularExpression>

namespace prefs {

namespace {

const QString kOutputFile = QStringLiteral("Output File");
const QString kTempDir = QStringLiteral("Temp Dir");
const QString kProfile = QStringLiteral("Profile");
const QString kProfileName = QStringLiteral("Profile Name");
const QString kVersion = QStringLiteral("Version");
const QString kFrameRate = QStringLiteral("Frame Rate");

// "First", or a rate as a plain positive number: "25", "29.97".
bool isFrameRateText(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^[0-9]{1,4}(\\.[0-9]{1,3})?$"));
    if (text.compare(kFirstVideoFrameRate, Qt::CaseInsensitive) == 0)
        return true;
    return number.match(text).hasMatch() && text.toDouble() > 0;
}

// The keys both sections share; a missing one keeps its value in fallback.
GeneralSettings readSharedKeys(const IniFile& ini, const QString& section, GeneralSettings fallback)
{
    GeneralSettings s = std::move(fallback);
    s.outputFile = ini.readString(section, kOutputFile, s.outputFile);
    for (const SettingSwitch& option : kSettingSwitches)
        s.*option.member = ini.readBool(section, option.key, s.*option.member);
    // A rate the encoder could not take would only fail the job later.
    const QString rate = ini.readString(section, kFrameRate, s.frameRate);
    if (isFrameRateText(rate))
        s.frameRate = rate.compare(kFirstVideoFrameRate, Qt::CaseInsensitive) == 0
                          ? kFirstVideoFrameRate
                          : rate;
    return s;
}

} // namespace

QString readVersion(const QString& iniPath)
{
    return IniFile(iniPath).readString(kMainSection, kVersion, kDefaultVersion);
}

GeneralSettings readMainSettings(const QString& iniPath, const QString& defaultTempDirectory)
{
    const IniFile ini(iniPath);
    GeneralSettings s = readSharedKeys(ini, kMainSection, GeneralSettings());
    s.tempDir = ini.readString(kMainSection, kTempDir, defaultTempDirectory);
    return s;
}

void writeMainSettings(const QString& iniPath, const GeneralSettings& settings)
{
    IniFile ini(iniPath);
    ini.setString(kMainSection, kOutputFile, settings.outputFile);
    ini.setString(kMainSection, kTempDir, settings.tempDir);
    for (const SettingSwitch& option : kSettingSwitches)
        ini.setBool(kMainSection, option.key, settings.*option.member);
    ini.setString(kMainSection, kFrameRate, settings.frameRate);
    ini.save();
}

GeneralSettings readDefaultSettings(const QString& iniPath)
{
    GeneralSettings factoryFallback;
    factoryFallback.autoOpenDir = false;
    return readSharedKeys(IniFile(iniPath), kDefaultSection, factoryFallback);
}

MainWindowChoice readMainWindowChoice(const QString& iniPath)
{
    const IniFile ini(iniPath);
    return {ini.readInteger(kMainSection, kProfile, 0),
            ini.readString(kMainSection, kOutputFile, QString()),
            ini.readString(kMainSection, kProfileName, QString())};
}

void writeMainWindowChoice(const QString& iniPath, const MainWindowChoice& choice)
{
    IniFile ini(iniPath);
    ini.setInteger(kMainSection, kProfile, choice.profileIndex);
    ini.setString(kMainSection, kOutputFile, choice.outputFile);
    ini.setString(kMainSection, kProfileName, choice.profileName);
    ini.save();
}

QString notReadNotice(const QString& iniPath, const QString& productName)
{
    const WholeFile check = checkWholeFile(iniPath);
    if (!check.existsUnread())
        return {};
    return QStringLiteral("%1 was not read: %2.\n%3\n\n%4 starts with its default settings, and "
                          "does not save settings into that file.")
        .arg(fileNamePart(iniPath), check.why, iniPath, productName);
}

} // namespace prefs

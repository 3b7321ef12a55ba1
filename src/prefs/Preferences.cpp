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
const QString kHiddenColumns = QStringLiteral("Hidden Columns");
const QString kCaptionSeparator = QStringLiteral(", ");
const QString kVersion = QStringLiteral("Version");
const QString kFrameRate = QStringLiteral("Frame Rate");

// The rates the General Settings offer, from 23.976 to 60: a rate far outside them is a slip of
// a hand-edited file (0.001 makes a 7 s join last 2,000 s).
constexpr double kLowestFrameRate = 23.976;
constexpr double kHighestFrameRate = 60.0;

// "First", or a plain number within the offered rates: "25", "29.97".
bool isFrameRateText(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^[0-9]{1,4}(\\.[0-9]{1,3})?$"));
    if (text.compare(kFirstVideoFrameRate, Qt::CaseInsensitive) == 0)
        return true;
    const double rate = text.toDouble();
    return number.match(text).hasMatch() && rate >= kLowestFrameRate && rate <= kHighestFrameRate;
}

// The keys both sections share; a missing one keeps its value in fallback.
GeneralSettings readSharedKeys(const IniFile& ini, const QString& section, GeneralSettings fallback)
{
    GeneralSettings s = std::move(fallback);
    s.outputFile = ini.readString(section, kOutputFile, s.outputFile);
    for (const SettingSwitch& option : kSettingSwitches)
        s.*option.member = ini.readBool(section, option.key, s.*option.member);
    // A rate the encoder could not take would only fail the job later.
    if (const QString rate = offeredFrameRate(ini.readString(section, kFrameRate, s.frameRate));
        !rate.isEmpty())
        s.frameRate = rate;
    return s;
}

} // namespace

QString offeredFrameRate(const QString& text)
{
    if (!isFrameRateText(text))
        return {};
    return text.compare(kFirstVideoFrameRate, Qt::CaseInsensitive) == 0 ? kFirstVideoFrameRate
                                                                        : text;
}

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

void writeFrameRate(const QString& iniPath, const QString& frameRate)
{
    IniFile ini(iniPath);
    ini.setString(kMainSection, kFrameRate, frameRate);
    ini.save();
}

void writeExactCutsInStream(const QString& iniPath, bool on)
{
    IniFile ini(iniPath);
    ini.setBool(kMainSection, kExactCutsInStreamKey, on);
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
            ini.readString(kMainSection, kProfileName, QString()),
            ini.readString(kMainSection, kHiddenColumns, QString())
                .split(kCaptionSeparator, Qt::SkipEmptyParts)};
}

void writeMainWindowChoice(const QString& iniPath, const MainWindowChoice& choice)
{
    IniFile ini(iniPath);
    ini.setInteger(kMainSection, kProfile, choice.profileIndex);
    ini.setString(kMainSection, kOutputFile, choice.outputFile);
    ini.setString(kMainSection, kProfileName, choice.profileName);
    // Files of users who never hid a column stay as they were.
    const QString hidden = choice.hiddenColumns.join(kCaptionSeparator);
    if (!hidden.isEmpty() || !ini.readString(kMainSection, kHiddenColumns, QString()).isEmpty())
        ini.setString(kMainSection, kHiddenColumns, hidden);
    ini.save();
}

QString frameRateNotice(const QString& iniPath)
{
    const QString rate = IniFile(iniPath).readString(kMainSection, kFrameRate, kDefaultFrameRate);
    if (isFrameRateText(rate))
        return {};
    return QStringLiteral("The frame rate \"%1\" in %2 is not one the program offers (from %3 to "
                          "%4, or the first video's): the joined video gets %5 frames per second.")
        .arg(rate.left(100), fileNamePart(iniPath), QString::number(kLowestFrameRate),
             QString::number(kHighestFrameRate), kDefaultFrameRate);
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

#pragma once

#include <QString>
#include <QStringList>

// The keys of Preferences.ini. Nothing is held in memory between calls: each function reads the
// file once, or reads it and writes it back once. Writes throw IniWriteError when the system
// refuses; the file is then as it was.
namespace prefs {

inline const QString kMainSection = QStringLiteral("Main");
inline const QString kDefaultSection = QStringLiteral("Default");
inline const QString kDefaultVersion = QStringLiteral("1.5");
inline const QString kDefaultFrameRate = QStringLiteral("30");
// "Frame Rate" for the rate of the first video.
inline const QString kFirstVideoFrameRate = QStringLiteral("First");

// The General Settings as the program holds them: read from [Main] at start-up, handed to the
// job, and changed by the General Settings dialog, which edits a copy. Section "Main" holds the
// user's values, section "Default" the factory values that "Load Default" reads (it has no
// temporary folder). The member values are the fallbacks of [Main].
struct GeneralSettings
{
    QString outputFile;
    QString tempDir;
    bool autoOpenDir = true;
    bool autoExit = false;
    bool autoTurnOff = false;
    bool ask = true;
    bool overwrite = false;
    bool rename = false;
    // Join the original inputs in one encoder run, without intermediates.
    bool onePass = false;
    // Fit each picture inside the output size by its display shape, black around it, rather
    // than stretch it.
    bool keepShape = true;
    // The joined video's rate: "30", "29.97", ..., or kFirstVideoFrameRate.
    QString frameRate = kDefaultFrameRate;
    // A copy join may write the video's parameter sets in the stream (MP4 sample entry avc3 or
    // hev1), which keeps the cuts of clips other than x264 ones exact. Off unless the user
    // consents: some players refuse such files.
    bool exactCutsInStream = false;

    bool operator==(const GeneralSettings&) const = default;
};

// The switches of GeneralSettings with their keys, which both sections hold, in the order they
// are written. A new switch is a member above and a line here.
struct SettingSwitch
{
    QString key;
    bool GeneralSettings::*member;
};
// Written alone too, when the copy line's link turns it on.
inline const QString kExactCutsInStreamKey = QStringLiteral("Exact Cuts In Stream");
inline const SettingSwitch kSettingSwitches[] = {
    {QStringLiteral("Auto Open Dir"), &GeneralSettings::autoOpenDir},
    {QStringLiteral("Auto Exit"), &GeneralSettings::autoExit},
    {QStringLiteral("Auto Turn Off"), &GeneralSettings::autoTurnOff},
    {QStringLiteral("Ask"), &GeneralSettings::ask},
    {QStringLiteral("Overwrite"), &GeneralSettings::overwrite},
    {QStringLiteral("Rename"), &GeneralSettings::rename},
    {QStringLiteral("One Pass"), &GeneralSettings::onePass},
    {QStringLiteral("Keep Shape"), &GeneralSettings::keepShape},
    {kExactCutsInStreamKey, &GeneralSettings::exactCutsInStream},
};

// What the main window keeps between runs.
struct MainWindowChoice
{
    int profileIndex = 0; // the profile box's position, -1 for none
    QString outputFile;
    // The chosen profile's name, beside its position: adding a profile file moves the positions
    // of those after it. Empty in files written before it was kept.
    QString profileName;
    // The captions of the task list's hidden columns.
    QStringList hiddenColumns{};
};

QString readVersion(const QString& iniPath);

// Reads "Output File", "Temp Dir", "Auto Open Dir", "Auto Exit", "Auto Turn Off", "Ask",
// "Overwrite", "Rename", "One Pass", "Keep Shape", "Exact Cuts In Stream" and "Frame Rate" of
// [Main]; "Temp Dir" falls back to defaultTempDirectory, a "Frame Rate" that is no rate to "30".
GeneralSettings readMainSettings(const QString& iniPath, const QString& defaultTempDirectory);
// Writes the same twelve keys of [Main] in the same order, the booleans as 1 or 0.
void writeMainSettings(const QString& iniPath, const GeneralSettings& settings);
// "Frame Rate" of [Main] alone, as the Output Settings change it; the other keys keep their bytes.
void writeFrameRate(const QString& iniPath, const QString& frameRate);
// "Exact Cuts In Stream" of [Main] alone, as the copy line's link turns it on; the other keys
// keep their bytes.
void writeExactCutsInStream(const QString& iniPath, bool on);
// Reads [Default]; its "Auto Open Dir" falls back to false, unlike [Main]. tempDir stays empty.
GeneralSettings readDefaultSettings(const QString& iniPath);

// "Profile", "Output File", "Profile Name" and "Hidden Columns" of [Main].
MainWindowChoice readMainWindowChoice(const QString& iniPath);
// What the main window stores when it closes: "Profile", "Output File", "Profile Name", then
// "Hidden Columns" (the captions joined by ", ").
void writeMainWindowChoice(const QString& iniPath, const MainWindowChoice& choice);

inline const QString kPreferencesNotReadCaption = QStringLiteral("Preferences Not Read");
// Why a preferences file that is there was not read, and that the program goes on with its
// defaults and never saves into it; empty when it was read or is missing.
QString notReadNotice(const QString& iniPath, const QString& productName);

// A frame rate the settings offer, as they hold it ("first" becomes kFirstVideoFrameRate): from
// 23.976 to 60, or the first video's. Empty for any other text.
QString offeredFrameRate(const QString& text);

inline const QString kFrameRateNoticeCaption = QStringLiteral("Invalid Frame Rate");
// That the "Frame Rate" of [Main] is none the program offers and the default stands in for it;
// empty when it is one, or missing.
QString frameRateNotice(const QString& iniPath);

} // namespace prefs

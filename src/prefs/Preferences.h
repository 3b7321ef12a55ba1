#pragma once

#include <QString>

// The keys of Preferences.ini. Nothing is held in memory: each function opens the file, reads or
// writes, and closes it. Writes throw IniWriteError when the system refuses.
namespace prefs {

inline const QString kMainSection = QStringLiteral("Main");
inline const QString kDefaultSection = QStringLiteral("Default");
inline const QString kDefaultVersion = QStringLiteral("1.5");

// What the General Settings dialog edits. Section "Main" holds the user's values, section
// "Default" the factory values that "Load Default" reads (it has no temporary folder).
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

    bool operator==(const GeneralSettings&) const = default;
};

QString readVersion(const QString& iniPath);

// Reads "Output File", "Temp Dir", "Auto Open Dir", "Auto Exit", "Auto Turn Off", "Ask",
// "Overwrite", "Rename" and "One Pass" of [Main]; "Temp Dir" falls back to defaultTempDirectory.
GeneralSettings readMainSettings(const QString& iniPath, const QString& defaultTempDirectory);
// Writes the same nine keys of [Main] in the same order, the booleans as 1 or 0.
void writeMainSettings(const QString& iniPath, const GeneralSettings& settings);
// Reads [Default]; its "Auto Open Dir" falls back to false, unlike [Main]. tempDir stays empty.
GeneralSettings readDefaultSettings(const QString& iniPath);

int readProfileIndex(const QString& iniPath);
QString readOutputFile(const QString& iniPath);
// What the main window stores when it closes: "Profile", then "Output File".
void writeMainWindowChoice(const QString& iniPath, int profileIndex, const QString& outputFile);

} // namespace prefs

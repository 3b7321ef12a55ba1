#include "Preferences.h"

#include "IniFile.h"

namespace prefs {

namespace {
const QString kOutputFile = QStringLiteral("Output File");
const QString kTempDir = QStringLiteral("Temp Dir");
const QString kAutoOpenDir = QStringLiteral("Auto Open Dir");
const QString kAutoExit = QStringLiteral("Auto Exit");
const QString kAutoTurnOff = QStringLiteral("Auto Turn Off");
const QString kAsk = QStringLiteral("Ask");
const QString kOverwrite = QStringLiteral("Overwrite");
const QString kRename = QStringLiteral("Rename");
const QString kOnePass = QStringLiteral("One Pass");
const QString kProfile = QStringLiteral("Profile");
const QString kVersion = QStringLiteral("Version");
} // namespace

QString readVersion(const QString& iniPath)
{
    return IniFile(iniPath).readString(kMainSection, kVersion, kDefaultVersion);
}

namespace {

// The keys both sections share; they differ in the fallback of "Auto Open Dir".
GeneralSettings readSharedKeys(const IniFile& ini, const QString& section, bool autoOpenDirDefault)
{
    GeneralSettings s;
    s.outputFile = ini.readString(section, kOutputFile, QString());
    s.autoOpenDir = ini.readBool(section, kAutoOpenDir, autoOpenDirDefault);
    s.autoExit = ini.readBool(section, kAutoExit, false);
    s.autoTurnOff = ini.readBool(section, kAutoTurnOff, false);
    s.ask = ini.readBool(section, kAsk, true);
    s.overwrite = ini.readBool(section, kOverwrite, false);
    s.rename = ini.readBool(section, kRename, false);
    s.onePass = ini.readBool(section, kOnePass, false);
    return s;
}

} // namespace

GeneralSettings readMainSettings(const QString& iniPath, const QString& defaultTempDirectory)
{
    const IniFile ini(iniPath);
    GeneralSettings s = readSharedKeys(ini, kMainSection, true);
    s.tempDir = ini.readString(kMainSection, kTempDir, defaultTempDirectory);
    return s;
}

void writeMainSettings(const QString& iniPath, const GeneralSettings& settings)
{
    IniFile ini(iniPath);
    ini.writeString(kMainSection, kOutputFile, settings.outputFile);
    ini.writeString(kMainSection, kTempDir, settings.tempDir);
    ini.writeBool(kMainSection, kAutoOpenDir, settings.autoOpenDir);
    ini.writeBool(kMainSection, kAutoExit, settings.autoExit);
    ini.writeBool(kMainSection, kAutoTurnOff, settings.autoTurnOff);
    ini.writeBool(kMainSection, kAsk, settings.ask);
    ini.writeBool(kMainSection, kOverwrite, settings.overwrite);
    ini.writeBool(kMainSection, kRename, settings.rename);
    ini.writeBool(kMainSection, kOnePass, settings.onePass);
}

GeneralSettings readDefaultSettings(const QString& iniPath)
{
    return readSharedKeys(IniFile(iniPath), kDefaultSection, false);
}

int readProfileIndex(const QString& iniPath)
{
    return IniFile(iniPath).readInteger(kMainSection, kProfile, 0);
}

QString readOutputFile(const QString& iniPath)
{
    return IniFile(iniPath).readString(kMainSection, kOutputFile, QString());
}

void writeMainWindowChoice(const QString& iniPath, int profileIndex, const QString& outputFile)
{
    IniFile ini(iniPath);
    ini.writeInteger(kMainSection, kProfile, profileIndex);
    ini.writeString(kMainSection, kOutputFile, outputFile);
}

} // namespace prefs

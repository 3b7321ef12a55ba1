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
const QString kProfile = QStringLiteral("Profile");
const QString kVersion = QStringLiteral("Version");
} // namespace

QString preferencesPath(const QString& programDirectory)
{
    return programDirectory + kFileName;
}

QString readVersion(const QString& iniPath)
{
    return IniFile(iniPath).readString(kMainSection, kVersion, kDefaultVersion);
}

GeneralSettings readMainSettings(const QString& iniPath, const QString& programDirectory)
{
    const IniFile ini(iniPath);
    GeneralSettings s;
    s.outputFile = ini.readString(kMainSection, kOutputFile, QString());
    s.tempDir = ini.readString(kMainSection, kTempDir, programDirectory + QStringLiteral("temp/"));
    s.autoOpenDir = ini.readBool(kMainSection, kAutoOpenDir, true);
    s.autoExit = ini.readBool(kMainSection, kAutoExit, false);
    s.autoTurnOff = ini.readBool(kMainSection, kAutoTurnOff, false);
    s.ask = ini.readBool(kMainSection, kAsk, true);
    s.overwrite = ini.readBool(kMainSection, kOverwrite, false);
    s.rename = ini.readBool(kMainSection, kRename, false);
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
}

GeneralSettings readDefaultSettings(const QString& iniPath)
{
    const IniFile ini(iniPath);
    GeneralSettings s;
    s.outputFile = ini.readString(kDefaultSection, kOutputFile, QString());
    s.autoOpenDir = ini.readBool(kDefaultSection, kAutoOpenDir, false);
    s.autoExit = ini.readBool(kDefaultSection, kAutoExit, false);
    s.autoTurnOff = ini.readBool(kDefaultSection, kAutoTurnOff, false);
    s.ask = ini.readBool(kDefaultSection, kAsk, true);
    s.overwrite = ini.readBool(kDefaultSection, kOverwrite, false);
    s.rename = ini.readBool(kDefaultSection, kRename, false);
    return s;
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

#include "DialogFolders.h"

#include "prefs/IniFile.h"
#include "prefs/Preferences.h"

#include <QDir>
#include <QFileInfo>

namespace {
const QString kLastFolder = QStringLiteral("Last Folder");
} // namespace

QString dialogStartFolder(const QString& rememberedFolder)
{
    if (!rememberedFolder.isEmpty() && QFileInfo(rememberedFolder).isDir())
        return rememberedFolder;
    return QDir::homePath();
}

QString folderToRemember(const QStringList& chosenPaths, bool chosePaths)
{
    if (chosenPaths.isEmpty() || chosenPaths.constFirst().isEmpty())
        return {};
    const QString& first = chosenPaths.constFirst();
    return chosePaths ? QFileInfo(first).absolutePath() : QDir(first).absolutePath();
}

QString readLastFolder(const QString& iniPath)
{
    return IniFile(iniPath).readString(prefs::kMainSection, kLastFolder, QString());
}

void storeLastFolder(const QString& iniPath, const QString& folder)
{
    if (iniPath.isEmpty() || folder.isEmpty())
        return;
    try {
        IniFile ini(iniPath);
        ini.setString(prefs::kMainSection, kLastFolder, folder);
        ini.save();
    } catch (const IniWriteError&) {
        // Only a comfort: the dialog opens at home next time.
    }
}

#include "SettingsEditing.h"

namespace prefs {

GeneralSettings withOverwriteChoiceResolved(GeneralSettings settings)
{
    if (settings.rename) {
        settings.ask = false;
        settings.overwrite = false;
    } else if (settings.overwrite) {
        settings.ask = false;
    }
    return settings;
}

GeneralSettings withFactoryDefaults(const GeneralSettings& current, const GeneralSettings& factory)
{
    GeneralSettings settings = withOverwriteChoiceResolved(factory);
    settings.tempDir = current.tempDir;
    return settings;
}

QString tempFolderText(const QString& chosenFolder)
{
    QString folder = chosenFolder;
    while (folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder + QLatin1Char('/');
}

} // namespace prefs

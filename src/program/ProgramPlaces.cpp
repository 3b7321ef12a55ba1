#include "ProgramPlaces.h"

#include "paths/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString kUserFolderName = QStringLiteral("/vantomel/");

} // namespace

UserFolders UserFolders::fromEnvironment()
{
    // Both honour $XDG_CONFIG_HOME and $XDG_CACHE_HOME.
    return {
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + kUserFolderName,
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + kUserFolderName};
}

ProgramPlaces portablePlaces(const QString& programDirectory)
{
    ProgramPlaces places;
    places.programDirectory = programDirectory;
    places.preferencesPath = programDirectory + ProgramLayout::kPreferences;
    places.defaultTempDirectory = programDirectory + ProgramLayout::kTemp;
    places.profileDirectories = {programDirectory + ProgramLayout::kProfiles};
    return places;
}

ProgramPlaces perUserPlaces(const QString& programDirectory, const UserFolders& user)
{
    ProgramPlaces places;
    places.programDirectory = programDirectory;
    places.preferencesPath = user.config + ProgramLayout::kPreferences;
    places.defaultTempDirectory = user.cache + ProgramLayout::kTemp;
    places.profileDirectories = {programDirectory + ProgramLayout::kProfiles,
                                 user.config + ProgramLayout::kProfiles};
    places.perUser = true;
    return places;
}

ProgramPlaces decideProgramPlaces(const QString& programDirectory, const UserFolders& user)
{
    return QFileInfo(programDirectory).isWritable() ? portablePlaces(programDirectory)
                                                    : perUserPlaces(programDirectory, user);
}

void prepareProgramPlaces(const ProgramPlaces& places)
{
    if (!places.perUser)
        return;
    // The job makes only the last level of its temporary folder.
    QDir().mkpath(places.defaultTempDirectory);
    QDir().mkpath(places.profileDirectories.last());
    // Only a delivered file that can be read whole: a copy of a pipe or a device never ends.
    if (!QFileInfo::exists(places.preferencesPath) &&
        checkWholeFile(places.deliveredPreferencesPath()).wasRead() &&
        QFile::copy(places.deliveredPreferencesPath(), places.preferencesPath)) {
        // The copy keeps the delivered file's permissions; the user must be able to write it.
        QFile::setPermissions(places.preferencesPath,
                              QFile::permissions(places.preferencesPath) | QFileDevice::WriteOwner);
    }
}

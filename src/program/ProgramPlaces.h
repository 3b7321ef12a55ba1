#pragma once

#include <QString>
#include <QStringList>

// The program directory's companion files, named here and nowhere else.
namespace ProgramLayout {
inline const QString kEncoder = QStringLiteral("asapi.dll");
inline const QString kPreferences = QStringLiteral("Preferences.ini");
inline const QString kProfiles = QStringLiteral("Profiles/");
inline const QString kTemp = QStringLiteral("temp/");
inline const QString kHelp = QStringLiteral("help/index.html");
} // namespace ProgramLayout

// The user's own folders for the program: $XDG_CONFIG_HOME/vantomel/ and
// $XDG_CACHE_HOME/vantomel/ (~/.config/vantomel/ and ~/.cache/vantomel/ by default).
struct UserFolders
{
    QString config;
    QString cache;

    static UserFolders fromEnvironment();
};

// Where one run of the program finds and keeps its files; decided once at start-up and handed
// to the parts that need them.
//
// Portable, when the program directory can be written (a build's bin/, a copy in the user's home):
// everything beside the program. Per user, when it cannot (an installed program): the preferences
// in the user's config folder, the temporary folder in the user's cache, and the user's own
// profiles listed beside the delivered ones.
struct ProgramPlaces
{
    QString programDirectory; // ends in "/"
    QString preferencesPath;
    QString defaultTempDirectory; // "Temp Dir" when none is stored; ends in "/"
    // Listed in this order; a profile of a later folder replaces one of the same name.
    QStringList profileDirectories;
    bool perUser = false;

    QString encoderPath() const { return programDirectory + ProgramLayout::kEncoder; }
    QString helpFilePath() const { return programDirectory + ProgramLayout::kHelp; }
    // The Preferences.ini delivered beside the program: the version shown comes from it, and a
    // new user's preferences start as a copy of it.
    QString deliveredPreferencesPath() const
    {
        return programDirectory + ProgramLayout::kPreferences;
    }
};

ProgramPlaces portablePlaces(const QString& programDirectory);
ProgramPlaces perUserPlaces(const QString& programDirectory, const UserFolders& user);
// Portable when the program directory can be written, otherwise per user.
ProgramPlaces decideProgramPlaces(const QString& programDirectory, const UserFolders& user);

// Per user: makes the user's folders and, when the user has no preferences file yet, copies the
// delivered one. Portable: nothing to do. Failures are left to the first read or write.
void prepareProgramPlaces(const ProgramPlaces& places);

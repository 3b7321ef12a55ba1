#include "ProgramSetup.h"

#include "prefs/Preferences.h"

ProgramSetup ProgramSetup::decide(const QString& executablePath)
{
    const ProgramPlaces places =
        decideProgramPlaces(programDirectoryOf(executablePath), UserFolders::fromEnvironment());
    prepareProgramPlaces(places);
    // The version belongs to the delivered program, not to a user's copy of its preferences.
    return {places, InitProgramInfo(prefs::readVersion(places.deliveredPreferencesPath()))};
}

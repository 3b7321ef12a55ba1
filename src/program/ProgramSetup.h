#pragma once

#include "ProgramInfo.h"
#include "ProgramPlaces.h"

// Where the program puts its files and who it is: decided once, before any window or command-line
// run exists.
struct ProgramSetup
{
    ProgramPlaces places;
    ProgramInfo info;

    // From the executable's path: portable beside the program when its directory can be written,
    // per user otherwise (the user's folders are made then). The version comes from the
    // Preferences.ini delivered beside the program.
    static ProgramSetup decide(const QString& executablePath);
};

#pragma once

#include "Preferences.h"

// The rules by which the General Settings dialog turns stored values into what it shows.
namespace prefs {

// The overwrite choice is three radio buttons set from "Ask", "Overwrite" and "Rename" in this
// order: selecting one clears the other two, clearing one leaves the others alone. So the last
// true value wins and three false values select none.
GeneralSettings withOverwriteChoiceResolved(GeneralSettings settings);

// "Load Default": the factory values replace everything but the temporary folder.
GeneralSettings withFactoryDefaults(const GeneralSettings& current, const GeneralSettings& factory);

// A chosen folder as the temporary folder text: ending in exactly one "/" ("/" stays "/").
QString tempFolderText(const QString& chosenFolder);

} // namespace prefs

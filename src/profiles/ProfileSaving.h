#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class CurrentProfile;
class Dialogs;
class IniFile;
class Messages;
class QWidget;

// Why a text cannot name a profile file ("A profile name cannot contain \"/\"."); empty when it
// can.
QString profileNameProblem(const QString& name);

// The loaded profile's file as it was read, with each setting's current choice as its "Index".
// A text typed into a bitrate or sample rate box that is none of its choices becomes a new
// choice, selected. Comments and every other key stay as they are. Null before the first load.
std::optional<IniFile> profileWithChoices(const CurrentProfile& profile);

// "Save As..." of the Output Settings dialog: asks the user for a name, refuses names that
// cannot be file names, asks before replacing a listed profile, and writes the profile with the
// current choices into the user's profile folder, the last of profileDirectories. A profile
// delivered in another folder is never written: the user's file takes its place in the list.
// Every message is owned by owner. The name saved under; nullopt when the user gave up or the
// file could not be written (the user has been told then, and every file is as it was).
std::optional<QString> saveProfileAs(Messages& messages, Dialogs& dialogs, QWidget* owner,
                                     const CurrentProfile& profile,
                                     const QStringList& profileDirectories);

#pragma once

#include <QString>
#include <QStringList>

// The folder the file dialogs open in: the one of the last choice, kept as "Last Folder" in
// [Main] of Preferences.ini, so that a user who adds videos from one folder finds it again.

// The remembered folder while it still exists; the home folder otherwise.
QString dialogStartFolder(const QString& rememberedFolder);

// The folder to remember after a choice: a chosen file's folder, or the chosen folder itself.
// Empty when nothing was chosen.
QString folderToRemember(const QStringList& chosenPaths, bool chosePaths);

// Reads and stores "Last Folder". Storing never fails loudly: a file that was not read, or that
// the system refuses to write, keeps its old value.
QString readLastFolder(const QString& iniPath);
void storeLastFolder(const QString& iniPath, const QString& folder);

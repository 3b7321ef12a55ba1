#pragma once

#include <QString>
#include <QStringList>

class Dialogs;
class QWidget;

// File dialog filters in the "description|pattern|description|pattern" form that the Dialogs seam
// takes; each extension ".avi" gives the pair "AVI Files (*.avi)|*.avi".

inline const QString kAllFilesFilter = QStringLiteral("All Files (*.*)|*.*");

// One pair per extension, in list order, each followed by "|".
QString filterPairs(const QStringList& extensions);

// The save dialog's filter for the output file: the output types, then every file.
QString outputFileFilter();
inline const QString kOutputFileDefaultSuffix = QStringLiteral("avi");

// The output file dialog, shared by the main window and the General Settings dialog: the chosen
// full file name, or empty when cancelled. It does not ask about an existing file; Start does.
QString chooseOutputFile(Dialogs& dialogs, QWidget* owner);

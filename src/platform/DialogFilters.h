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

// The add-files dialog's filter: all supported input files first (the one selected on opening),
// then one entry per extension, then all files.
QString inputFileFilter();

// The save dialog's filter for the output file: the output types, the profile's own output
// extension (".mp4") first, so that the dialog opens on it, then every file.
QString outputFileFilter(const QString& outputExtension);

// The output file dialog, shared by the main window and the General Settings dialog: the chosen
// full file name, or empty when cancelled. A name typed without an extension gets the profile's,
// so that Start does not add it to another one. It does not ask about an existing file; Start
// does.
QString chooseOutputFile(Dialogs& dialogs, QWidget* owner, const QString& outputExtension);

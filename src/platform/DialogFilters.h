#pragma once

#include <QString>
#include <QStringList>

// File dialog filters in the "description|pattern|description|pattern" form that the Dialogs seam
// takes; each extension ".avi" gives the pair "AVI Files (*.avi)|*.avi". The add-files dialog's
// filter is built in tasks/SupportedInputs, the output file's in profiles/OutputFileChoice.

inline const QString kAllFilesFilter = QStringLiteral("All Files (*.*)|*.*");

// One pair per extension, in list order, each followed by "|".
QString filterPairs(const QStringList& extensions);

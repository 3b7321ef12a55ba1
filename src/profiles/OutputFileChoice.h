#pragma once

#include <QString>

class Dialogs;
class QWidget;

// The save dialog's filter for the output file: the output types, the profile's own output
// extension (".mp4") first, so that the dialog opens on it, then every file.
QString outputFileFilter(const QString& outputExtension);

// The output file dialog, shared by the main window and the General Settings dialog: the chosen
// full file name, or empty when cancelled. A name typed without an extension gets the profile's,
// so that Start does not add it to another one. It does not ask about an existing file; Start
// does.
QString chooseOutputFile(Dialogs& dialogs, QWidget* owner, const QString& outputExtension);

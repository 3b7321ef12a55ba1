#pragma once

#include <QIcon>
#include <QString>

// A toolbar picture: the desktop theme's icon where it has one, else our own drawing, so that no
// button is ever blank. Disabled buttons get the style's greyed rendering of the same picture.
QIcon toolbarIcon(const QString& themeName, const QString& ownPicture);

// One of our own pictures: "logo", "getting-started", "start", ...
QIcon ownPicture(const QString& name);

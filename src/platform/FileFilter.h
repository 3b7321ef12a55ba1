#pragma once

#include <QString>
#include <QStringList>

// "AVI Files (*.avi)|*.avi|All Files (*.*)|*.*" -> {"AVI Files (*.avi)", "All Files (*)"}:
// each description with its patterns in Qt's form. A description that already shows its
// patterns in parentheses is given Qt's blank-separated form of them.
QStringList qtNameFilters(const QString& windowsFilter);

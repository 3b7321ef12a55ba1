#pragma once

#include <QString>

// Path texts split as the program's messages and checks see them: at the last "/" and at the
// last "." of the file name. They work on the text alone and never ask the file system.

// A directory text that ends in exactly one "/" ("" stays "", "/" stays "/").
QString withTrailingSlash(const QString& directory);

// The text up to and including its last "/"; empty when it has none.
QString directoryPart(const QString& path);

// The text after its last "/": all of it when it has none, empty when it ends in "/".
QString fileNamePart(const QString& path);

// The file name from its last "." on, dot included; empty when the name has no dot.
QString extensionOf(const QString& path);

// The file name without everything from its last "." on.
QString baseNameOf(const QString& path);

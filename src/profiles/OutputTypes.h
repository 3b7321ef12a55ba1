#pragma once

#include <QStringList>

// What the output file may be, as a profile's output type with its dot: ".avi", ".mpg", ".mp4",
// ".wmv", ".mov", ".vob", ".asf", ".flv", ".mkv", each an output container's first extension.
QStringList outputTypeList();

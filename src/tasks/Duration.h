#pragma once
// Placeholder until the task list lands.
#include <QString>
QString FormatDuration(double seconds);

#include "TaskRow.h"

#include "Durations.h"

double TaskRow::lengthSeconds() const
{
    return ParseDuration(length);
}

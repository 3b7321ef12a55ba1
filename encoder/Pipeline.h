#pragma once

#include "CommandLine.h"

#include <cstdio>

namespace asapi {

enum ExitStatus
{
    ExitDone = 0,
    ExitFailed = 1,
    ExitStopped = 2
};

// One whole run: looks at the inputs, checks what is asked, then decodes on one thread and
// encodes on this one. Messages go to errors, status lines to status.
ExitStatus runEncoder(const CommandLineOptions& options, std::FILE* status, std::FILE* errors);

} // namespace asapi

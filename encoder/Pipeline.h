#pragma once

#include "EncoderContract.h"

#include <cstdio>
#include <string>
#include <vector>

namespace asapi {

// How the run ended: the exit statuses the program knows.
using ExitStatus = vantomel::EncoderExit;

// One whole run of the program, from its arguments: reads the command line, looks at the
// inputs, checks what is asked, then decodes on one thread and encodes on this one. Messages,
// each behind the mark of its type, go to errors, status lines to status. Every error of the run,
// on any of its threads, ends here.
ExitStatus runEncoder(const std::vector<std::string>& arguments, std::FILE* status,
                      std::FILE* errors);

} // namespace asapi

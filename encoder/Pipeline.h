#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace asapi {

enum ExitStatus
{
    // The whole file is in place; also when a stop came once everything had been read. With
    // -checkonly: the command line can be run.
    ExitDone = 0,
    // Nothing was put in place; the message says why. With -checkonly: the command line cannot
    // be run, and the message says why.
    ExitFailed = 1,
    // A stop cut the reading short. The shorter file is in place where no file stood; a file
    // that stood there is kept, the shorter one dropped, and a message says so.
    ExitStopped = 2,
    // -ovc copy over inputs that differ: nothing was written, and the message names the first
    // clip that differs and how. Also with -checkonly.
    ExitCannotCopy = 3,
    // As ExitCannotCopy, where only the copied sound differs: the pictures could be copied with
    // the sound encoded once. (4 is the status a stopping program gives the encoder.)
    ExitCannotCopySound = 5,
    // An input cannot be opened or read as a video; the message names it and says why. Also
    // with -checkonly -ovc copy, which opens the inputs.
    ExitUnreadableInput = 6
};

// One whole run of the program, from its arguments: reads the command line, looks at the
// inputs, checks what is asked, then decodes on one thread and encodes on this one. Messages,
// errors and warnings alike, go to errors, status lines to status. Every error of the run, on
// any of its threads, ends here.
ExitStatus runEncoder(const std::vector<std::string>& arguments, std::FILE* status,
                      std::FILE* errors);

} // namespace asapi

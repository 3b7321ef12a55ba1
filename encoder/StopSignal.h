#pragma once

namespace asapi {

// SIGINT, SIGTERM and SIGHUP ask the encoder to stop reading and finish the file properly.
void installStopHandlers();
bool stopRequested();

} // namespace asapi

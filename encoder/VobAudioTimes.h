#pragma once

namespace asapi {

// FFmpeg's reader (ffprobe, and players built on it) gives an AC-3 frame whose seven-byte
// header is cut by the start of a new audio packet the time of that packet, which belongs to
// the next frame: two frames then show one time, and the picture and sound seem to slip. Such
// packets of the finished program stream in fd lose their time (the bytes become stuffing, the
// size stays), so that both frames take theirs from their neighbours. MPEG-2 asks for a time at
// least every 0.7 s only; the others keep theirs. Returns false when the file could not be read
// or written.
bool clearTimesOfCutAudioFrames(int fd);

} // namespace asapi

#pragma once

#include "FileIo.h"

#include <functional>
#include <string>

namespace asapi {

// How a finished file is put at the output path.
enum class Placement
{
    // A complete file: it replaces whatever stood there.
    Replace,
    // A file that a stop cut short: it never replaces a file that stands there.
    BesideExisting
};

// What the file system offers; tests take a part away to reach the fallbacks.
struct FileSystemUse
{
    bool unnamedFiles = true;    // O_TMPFILE
    bool noReplaceRename = true; // renameat2's RENAME_NOREPLACE
};

// Hears of a complete file just before it is put in place, with a path to read it back from; the
// path is empty for a device or FIFO, which cannot be read back. A stop that kills the run
// meanwhile leaves the output path as it was.
using BeforePlacing = std::function<void(const std::string& readablePath)>;

// The output while it is written: a file without a name in the output's folder, linked into
// place only once it is complete, so that a file already at the output path is replaced whole
// or not at all (and never by a file that a stop cut short), and a failed or killed run leaves
// nothing behind. Where the file system has no unnamed files, a hidden name beside the output
// stands in and is removed on failure, and by the program's Stop (see DiscardableName). A device
// or FIFO named as the output is written directly.
class OutputFile
{
public:
    // Throws EncoderError naming the path, the stop error when a stop cut the open of a FIFO
    // short. Without unnamed files the hidden name is taken at once.
    explicit OutputFile(const std::string& path, FileSystemUse fileSystem = {});
    // Abandons the file unless it was committed.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    AVIOContext* context() const { return m_context.get(); }
    // The file being written, to read back and mend in place before commit(); -1 for a device
    // or FIFO, which cannot be read back.
    int mendableDescriptor() const { return m_direct ? -1 : m_fd.get(); }
    // Writes out what the context still holds. Throws EncoderError.
    void flush();
    // Writes out what the context holds and tells beforePlacing, if any, where the file can be
    // read. Throws EncoderError.
    void showBeforePlacing(const BeforePlacing& beforePlacing);

    // Flushes what was written and puts it at the output path. False when placement is
    // BesideExisting and something already stood there: that stays as it was and what was
    // written is dropped. The check and the placing are one step of the file system's, so a
    // file that appears meanwhile is never replaced either. A device or FIFO was written
    // directly and is always true. Throws EncoderError.
    bool commit(Placement placement = Placement::Replace);
    // Drops what was written; the output path stays as it was.
    void abandon();

private:
    void createBeside(bool unnamedFiles);
    void keepProtectionOfReplaced();
    void linkIntoPlace();
    bool placeWithoutReplacing();
    [[noreturn]] void fail(const std::string& what, const std::string& reason) const;

    std::string m_path;       // as given, for messages
    std::string m_target;     // the file that is replaced: m_path, or where its symlink points
    std::string m_hiddenPath; // the stand-in's name, when there is one
    bool m_noReplaceRename;
    FileDescriptor m_fd;
    IoContextPtr m_context;
    bool m_direct = false;
    bool m_done = false;
};

} // namespace asapi

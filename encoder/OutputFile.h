#pragma once

#include "FileIo.h"

#include <string>

namespace asapi {

// The output while it is written: a file without a name in the output's folder, linked into
// place only once it is complete, so that a file already at the output path is replaced whole
// or not at all, and a failed or killed run leaves nothing behind. Where the file system has no
// unnamed files, a hidden name beside the output stands in and is removed on failure. A device
// or FIFO named as the output is written directly.
class OutputFile
{
public:
    // Throws EncoderError naming the path, the stop error when a stop cut the open of a FIFO
    // short. unnamedFiles false takes the hidden name at once.
    explicit OutputFile(const std::string& path, bool unnamedFiles = true);
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

    // Flushes what was written and puts it at the output path. Throws EncoderError.
    void commit();
    // Drops what was written; the output path stays as it was.
    void abandon();

private:
    void createBeside(bool unnamedFiles);
    void linkIntoPlace();
    [[noreturn]] void fail(const std::string& what, const std::string& reason) const;

    std::string m_path;       // as given, for messages
    std::string m_target;     // the file that is replaced: m_path, or where its symlink points
    std::string m_hiddenPath; // the stand-in's name, when there is one
    FileDescriptor m_fd;
    IoContextPtr m_context;
    bool m_direct = false;
    bool m_done = false;
};

} // namespace asapi

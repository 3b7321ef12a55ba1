#pragma once

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>

namespace asapi {

// Why a run ends before its output is complete; what() is the one message for the user. The
// kind decides the exit status: a command line that cannot be run fails even while a stop is
// asked for, an encoding error that a stop brought about is no failure of its own, and a stop
// has nothing to report.
class EncoderError : public std::runtime_error
{
public:
    enum class Kind
    {
        Usage,
        Encoding,
        Stop,
        // The inputs cannot be joined by copying their packets: they differ.
        CannotCopy,
        // Only their copied sound differs.
        CannotCopySound,
        // An input cannot be opened or read as a video: it is missing, damaged or no video.
        UnreadableInput
    };

    explicit EncoderError(const std::string& message, Kind kind = Kind::Encoding)
        : std::runtime_error(message), m_kind(kind)
    {
    }
    static EncoderError usage(const std::string& message)
    {
        return EncoderError(message, Kind::Usage);
    }
    static EncoderError cannotCopy(const std::string& message)
    {
        return EncoderError(message, Kind::CannotCopy);
    }
    static EncoderError cannotCopySound(const std::string& message)
    {
        return EncoderError(message, Kind::CannotCopySound);
    }
    static EncoderError unreadableInput(const std::string& message)
    {
        return EncoderError(message, Kind::UnreadableInput);
    }
    // Where a stop cut a blocking call short.
    static EncoderError stopped() { return EncoderError("Stopped.", Kind::Stop); }

    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};

// How a message names a clip: by the name the user gave it, without its folder.
inline std::string clipName(const std::string& path)
{
    return std::filesystem::path(path).filename().string();
}

// Tells the user of something the run passes over or changes, and goes on: one line on the
// stream the errors go to.
using Warn = std::function<void(const std::string& message)>;

} // namespace asapi

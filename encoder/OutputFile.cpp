#include "OutputFile.h"

#include "FfmpegPointers.h"
#include "StopSignal.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace asapi {
namespace {

// Room in a file name for the hidden name's dot and suffix.
constexpr std::size_t hiddenNameRoom = NAME_MAX - 16;

std::string folderOf(const std::string& path)
{
    const std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
}

// ".film.avi." beside film.avi, to be followed by a unique suffix.
std::string hiddenPrefix(const std::string& path)
{
    const std::filesystem::path file(path);
    std::string name = file.filename().string().substr(0, hiddenNameRoom);
    return (file.parent_path() / ("." + name + ".")).string();
}

// The name under which /proc shows an open file, unnamed or not.
std::string procLink(int fd)
{
    return "/proc/self/fd/" + std::to_string(fd);
}

mode_t currentUmask()
{
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

// Root may write any file: for it, a file without a write permission counts as read-only.
bool isReadOnly(const std::string& path, const struct stat& facts)
{
    if (geteuid() == 0)
        return (facts.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    return access(path.c_str(), W_OK) != 0 && errno == EACCES;
}

void syncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    fsync(fd);
    ::close(fd);
}

} // namespace

OutputFile::OutputFile(const std::string& path, FileSystemUse fileSystem)
    : m_path(path), m_target(path), m_noReplaceRename(fileSystem.noReplaceRename)
{
    // A symbolic link keeps pointing where it did; the file it names is the one replaced.
    struct stat facts = {};
    if (lstat(path.c_str(), &facts) == 0 && S_ISLNK(facts.st_mode)) {
        if (char* real = realpath(path.c_str(), nullptr)) {
            m_target = real;
            std::free(real);
        }
    }
    // A file that may not be written is not replaced either, as a shell's "> file" would not.
    if (stat(m_target.c_str(), &facts) == 0 && S_ISREG(facts.st_mode) &&
        isReadOnly(m_target, facts))
        fail("Cannot create", "the file is read-only");
    if (stat(m_target.c_str(), &facts) == 0 && !S_ISREG(facts.st_mode)) {
        if (S_ISDIR(facts.st_mode))
            fail("Cannot create", systemErrorText(EISDIR));
        const int fd = openInterruptibly(m_target, O_WRONLY);
        if (fd < 0)
            fail("Cannot create", systemErrorText(-fd));
        m_fd.reset(fd);
        m_direct = true;
        m_context = writingContext(fd, lseek(fd, 0, SEEK_CUR) >= 0, true);
        return;
    }
    createBeside(fileSystem.unnamedFiles);
    m_context = writingContext(m_fd.get(), true, false);
}

OutputFile::~OutputFile()
{
    if (!m_done)
        abandon();
}

void OutputFile::createBeside(bool unnamedFiles)
{
    const std::string folder = folderOf(m_target);
    if (unnamedFiles) {
        // Created like any new file: 0666 less the umask.
        const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
        // It is linked through /proc at the end: without /proc a name is needed from the start.
        if (fd >= 0 && access(procLink(fd).c_str(), F_OK) == 0) {
            m_fd.reset(fd);
            return;
        }
        if (fd >= 0)
            ::close(fd);
        // File systems without unnamed files say so in one of these ways.
        else if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            fail("Cannot create", systemErrorText(errno));
    }
    // A Stop removes the hidden name before it kills the run.
    DiscardableName naming;
    std::string name = hiddenPrefix(m_target) + "XXXXXX";
    const int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        fail("Cannot create", systemErrorText(errno));
    m_fd.reset(fd);
    m_hiddenPath = name;
    naming.publish(name);
    fchmod(fd, 0666 & ~currentUmask());
}

void OutputFile::showBeforePlacing(const BeforePlacing& beforePlacing)
{
    if (!beforePlacing)
        return;
    flush();
    if (m_direct)
        beforePlacing({});
    else
        beforePlacing(m_hiddenPath.empty() ? procLink(m_fd.get()) : m_hiddenPath);
}

void OutputFile::flush()
{
    avio_flush(m_context.get());
    if (m_context->error < 0)
        fail("Cannot write", errorText(m_context->error));
}

bool OutputFile::commit(Placement placement)
{
    if (m_done)
        return true;
    flush();
    if (!m_direct) {
        if (fsync(m_fd.get()) != 0)
            fail("Cannot write", systemErrorText(errno));
        keepProtectionOfReplaced();
        if (m_hiddenPath.empty())
            linkIntoPlace();
        if (placement == Placement::BesideExisting) {
            if (!placeWithoutReplacing()) {
                abandon();
                return false;
            }
        } else if (rename(m_hiddenPath.c_str(), m_target.c_str()) != 0) {
            // rename() replaces an existing file in one step: readers see the old or the new one.
            fail("Cannot write", systemErrorText(errno));
        }
        m_hiddenPath.clear();
        DiscardableName::forget();
        syncFolder(folderOf(m_target));
    }
    m_done = true;
    return true;
}

// A file that replaces another keeps its permissions and, where the user may set it, its group:
// a private file does not become readable by everyone by being joined anew.
void OutputFile::keepProtectionOfReplaced()
{
    struct stat facts = {};
    if (stat(m_target.c_str(), &facts) != 0 || !S_ISREG(facts.st_mode))
        return;
    if (fchmod(m_fd.get(), facts.st_mode & 07777) != 0)
        fail("Cannot write", systemErrorText(errno));
    // Only a group the user belongs to can be given; the file then keeps the user's own.
    (void)fchown(m_fd.get(), static_cast<uid_t>(-1), facts.st_gid);
}

// Moves the hidden name to the output path unless a name stands there: false then. Asking
// first would leave a moment in which a file could appear and be replaced.
bool OutputFile::placeWithoutReplacing()
{
    if (m_noReplaceRename) {
        if (renameat2(AT_FDCWD, m_hiddenPath.c_str(), AT_FDCWD, m_target.c_str(),
                      RENAME_NOREPLACE) == 0)
            return true;
        if (errno == EEXIST)
            return false;
        // File systems that do not take the flag (network and FUSE ones) say so in these ways.
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            fail("Cannot write", systemErrorText(errno));
    }
    // link() never replaces a name either; the hidden name then goes, the file stays.
    if (link(m_hiddenPath.c_str(), m_target.c_str()) != 0) {
        if (errno == EEXIST)
            return false;
        fail("Cannot write", systemErrorText(errno));
    }
    ::unlink(m_hiddenPath.c_str());
    return true;
}

// linkat() does not replace a name that exists: the unnamed file gets a hidden unique name
// first, which rename() then moves over the output.
void OutputFile::linkIntoPlace()
{
    const std::string prefix = hiddenPrefix(m_target);
    const std::string self = procLink(m_fd.get());
    DiscardableName naming;
    std::random_device seed;
    std::mt19937 random(seed());
    std::uniform_int_distribution<int> letter(0, 35);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = prefix;
        for (int i = 0; i < 6; ++i) {
            const int value = letter(random);
            name += static_cast<char>(value < 10 ? '0' + value : 'a' + value - 10);
        }
        // AT_EMPTY_PATH needs a privilege; the /proc link does the same without it.
        int linked = linkat(m_fd.get(), "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH);
        if (linked != 0 && errno != EEXIST)
            linked = linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW);
        if (linked == 0) {
            m_hiddenPath = name;
            naming.publish(name);
            return;
        }
        if (errno != EEXIST)
            fail("Cannot write", systemErrorText(errno));
    }
    fail("Cannot write", systemErrorText(EEXIST));
}

void OutputFile::abandon()
{
    if (!m_hiddenPath.empty())
        ::unlink(m_hiddenPath.c_str());
    m_hiddenPath.clear();
    DiscardableName::forget();
    m_done = true;
}

void OutputFile::fail(const std::string& what, const std::string& reason) const
{
    throw EncoderError{what + " " + m_path + ": " + reason + "."};
}

} // namespace asapi

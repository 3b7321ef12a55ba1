// Loaded with LD_PRELOAD into the encoder, it gives the encoder a file system without unnamed
// files, as a FAT stick or many FUSE mounts are: open() with O_TMPFILE fails as theirs does.
#include <cerrno>
#include <cstdarg>
#include <dlfcn.h>
#include <fcntl.h>

extern "C" int open(const char* path, int flags, ...)
{
    const bool unnamed = (flags & O_TMPFILE) == O_TMPFILE;
    if (unnamed) {
        errno = EOPNOTSUPP;
        return -1;
    }
    mode_t mode = 0;
    if (flags & O_CREAT) {
        va_list arguments;
        va_start(arguments, flags);
        mode = va_arg(arguments, mode_t);
        va_end(arguments);
    }
    static const auto next =
        reinterpret_cast<int (*)(const char*, int, ...)>(dlsym(RTLD_NEXT, "open"));
    return next(path, flags, mode);
}

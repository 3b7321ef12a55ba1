#include "JobFolder.h"

#include "paths/PathText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kFolderTemplate = QStringLiteral("job-XXXXXX");

std::unique_ptr<QTemporaryDir> makeFolderIn(const QString& parent)
{
    if (parent.isEmpty())
        return nullptr;
    const QString absoluteParent = withTrailingSlash(QFileInfo(parent).absoluteFilePath());
    const bool made = !QFileInfo(absoluteParent).isDir();
    if (made && !QDir().mkdir(absoluteParent))
        return nullptr;
    auto folder = std::make_unique<QTemporaryDir>(absoluteParent + kFolderTemplate);
    if (folder->isValid())
        return folder;
    if (made)
        QDir().rmdir(absoluteParent);
    return nullptr;
}

// Never judged by its age: a long job holds its lock for hours. Only a dead owner on this host
// makes it stale.
std::unique_ptr<QLockFile> lockFileIn(const QString& folder)
{
    auto lock = std::make_unique<QLockFile>(withTrailingSlash(folder) + kJobFolderLockName);
    lock->setStaleLockTime(0);
    return lock;
}

// A real directory of this user, not a link to one.
bool isOwnDirectory(const QString& path, struct stat& info)
{
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid();
}

bool isRegularFile(const QString& path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

bool removeIfStale(const QString& folder)
{
    struct stat before;
    if (!isOwnDirectory(folder, before))
        return false;
    // Without a lock file the folder is being made, or an older version made it: not ours to
    // judge. Checked first, for the lock below would create one.
    const std::unique_ptr<QLockFile> lock = lockFileIn(folder);
    if (!isRegularFile(lock->fileName()))
        return false;
    // Succeeds only when the owner's lock was stale; QLockFile then removes it and takes it,
    // so that no other program removes the folder at the same time.
    if (!lock->tryLock(0))
        return false;
    lock->unlock();
    // Still the same directory: nothing put a link in its place meanwhile.
    struct stat after;
    if (!isOwnDirectory(folder, after) || after.st_dev != before.st_dev ||
        after.st_ino != before.st_ino)
        return false;
    return QDir(folder).removeRecursively();
}

} // namespace

JobFolder::JobFolder(const QString& tempSetting, const QString& defaultTempDirectory)
    : m_dir(makeFolderIn(tempSetting))
{
    // The default is the program's own (the per-user cache may not exist yet).
    if (!m_dir && !defaultTempDirectory.isEmpty() && QDir().mkpath(defaultTempDirectory))
        m_dir = makeFolderIn(defaultTempDirectory);
    if (!m_dir)
        return;
    // A folder whose lock cannot be written still serves the job; if the program dies, the
    // folder stays, as a folder without a lock.
    m_lock = lockFileIn(m_dir->path());
    if (!m_lock->tryLock(0))
        m_lock.reset();
    removeStaleJobFolders(QFileInfo(m_dir->path()).absolutePath());
}

JobFolder& JobFolder::operator=(JobFolder&& other) noexcept
{
    if (this != &other) {
        remove();
        m_dir = std::move(other.m_dir);
        m_lock = std::move(other.m_lock);
    }
    return *this;
}

void JobFolder::remove()
{
    // The lock first: QLockFile warns when its file is already gone.
    m_lock.reset();
    m_dir.reset();
}

QString JobFolder::path() const
{
    return m_dir ? withTrailingSlash(m_dir->path()) : QString();
}

int removeStaleJobFolders(const QString& temporaryFolder)
{
    static const QRegularExpression jobFolderName(QStringLiteral("^job-[A-Za-z0-9]{6}$"));
    const QDir parent(temporaryFolder);
    int removed = 0;
    const QStringList names =
        parent.entryList({QStringLiteral("job-*")},
                         QDir::Dirs | QDir::NoSymLinks | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : names)
        if (jobFolderName.match(name).hasMatch() && removeIfStale(parent.filePath(name)))
            ++removed;
    return removed;
}

#include "JobFolder.h"

#include "paths/PathText.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kFolderTemplate = QStringLiteral("job-XXXXXX");

const QRegularExpression& jobFolderName()
{
    static const QRegularExpression name(QStringLiteral("^job-[A-Za-z0-9]{6}$"));
    return name;
}

// madeParent: set to the parent when it had to be made.
std::unique_ptr<QTemporaryDir> makeFolderIn(const QString& parent, QString& madeParent)
{
    if (parent.isEmpty())
        return nullptr;
    const QString absoluteParent = withTrailingSlash(QFileInfo(parent).absoluteFilePath());
    const bool made = !QFileInfo(absoluteParent).isDir();
    if (made && !QDir().mkdir(absoluteParent))
        return nullptr;
    auto folder = std::make_unique<QTemporaryDir>(absoluteParent + kFolderTemplate);
    if (folder->isValid()) {
        if (made)
            madeParent = absoluteParent;
        return folder;
    }
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

// The folder's entries, hidden ones too.
QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden |
                                  QDir::NoDotAndDotDot);
}

} // namespace

JobFolder::JobFolder(const QString& tempSetting, const QString& defaultTempDirectory)
    : m_dir(makeFolderIn(tempSetting, m_madeParent))
{
    // The default is the program's own (the per-user cache may not exist yet); it stays.
    QString defaultMade;
    if (!m_dir && !defaultTempDirectory.isEmpty() && QDir().mkpath(defaultTempDirectory))
        m_dir = makeFolderIn(defaultTempDirectory, defaultMade);
    if (!m_dir)
        return;
    // A folder whose lock cannot be written still serves the job; if the program dies, the
    // folder stays, as a folder without a lock.
    m_lock = lockFileIn(m_dir->path());
    if (!m_lock->tryLock(0))
        m_lock.reset();
    const QString temporaryFolder = QFileInfo(m_dir->path()).absolutePath();
    removeStaleJobFolders(temporaryFolder);
    pruneKeptJobLogs(temporaryFolder);
}

JobFolder& JobFolder::operator=(JobFolder&& other) noexcept
{
    if (this != &other) {
        remove();
        m_dir = std::move(other.m_dir);
        m_lock = std::move(other.m_lock);
        m_madeParent = std::exchange(other.m_madeParent, QString());
    }
    return *this;
}

void JobFolder::remove()
{
    // The lock first: QLockFile warns when its file is already gone.
    m_lock.reset();
    m_dir.reset();
    // Only when empty: another job may have made its folder there meanwhile.
    if (!m_madeParent.isEmpty())
        QDir().rmdir(std::exchange(m_madeParent, QString()));
}

QString JobFolder::keepOnly(const QString& name)
{
    if (!m_dir)
        return QString();
    const QString kept = path() + name;
    if (!isRegularFile(kept)) {
        remove();
        return QString();
    }
    m_lock.reset();
    const QDir folder(m_dir->path());
    for (const QString& entry : entriesOf(folder.path())) {
        if (entry == name)
            continue;
        const QFileInfo file(folder.filePath(entry));
        if (file.isDir() && !file.isSymLink())
            QDir(file.filePath()).removeRecursively();
        else
            QFile::remove(file.filePath());
    }
    m_dir->setAutoRemove(false);
    m_dir.reset();
    m_madeParent.clear();
    return kept;
}

QString JobFolder::path() const
{
    return m_dir ? withTrailingSlash(m_dir->path()) : QString();
}

int removeStaleJobFolders(const QString& temporaryFolder)
{
    const QDir parent(temporaryFolder);
    int removed = 0;
    const QStringList names =
        parent.entryList({QStringLiteral("job-*")},
                         QDir::Dirs | QDir::NoSymLinks | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : names)
        if (jobFolderName().match(name).hasMatch() && removeIfStale(parent.filePath(name)))
            ++removed;
    return removed;
}

int pruneKeptJobLogs(const QString& temporaryFolder, int keep)
{
    struct KeptLog
    {
        QString folder;
        QDateTime changed;
    };
    QList<KeptLog> kept;
    const QDir parent(temporaryFolder);
    const QStringList names =
        parent.entryList({QStringLiteral("job-*")},
                         QDir::Dirs | QDir::NoSymLinks | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QString folder = parent.filePath(name);
        struct stat info;
        if (!jobFolderName().match(name).hasMatch() || !isOwnDirectory(folder, info) ||
            entriesOf(folder) != QStringList{kJobFolderLogName})
            continue;
        const QString log = withTrailingSlash(folder) + kJobFolderLogName;
        if (isRegularFile(log))
            kept.append({folder, QFileInfo(log).lastModified()});
    }
    std::sort(kept.begin(), kept.end(),
              [](const KeptLog& a, const KeptLog& b) { return a.changed > b.changed; });
    int removed = 0;
    for (qsizetype k = keep; k < kept.size(); ++k) {
        // The log and then the folder alone: anything put there meanwhile keeps it.
        if (QFile::remove(withTrailingSlash(kept[k].folder) + kJobFolderLogName) &&
            QDir().rmdir(kept[k].folder))
            ++removed;
    }
    return removed;
}

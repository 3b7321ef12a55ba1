#pragma once

#include <QLockFile>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// The private folder of one join job inside the temporary folder. The job's intermediates live
// here and nowhere else, so that files kept in the temporary folder (even inputs named 0.avi)
// and a second job sharing it are never touched. It is removed, with everything in it, when
// the job ends, unless a failed job keeps its encoder log there for the user (keepOnly). A
// temporary folder that the job had to make is removed with it when nothing else is in it.
//
// A lock file inside, held while the folder lives, tells that its job runs; a program killed
// during a job leaves its folder behind with a stale lock, and the next job made beside it
// removes it (see removeStaleJobFolders). The folders of failed jobs, holding only their log,
// are kept up to a number (see pruneKeptJobLogs).
class JobFolder
{
public:
    // No folder: a job that needs none.
    JobFolder() = default;
    // Made inside the temp folder setting (which is created, one level, when missing) or, when
    // that cannot be used, inside the program's default temporary folder. When neither can be
    // used the folder is not valid and nothing of the setting's is left behind. Then removes
    // the folders of dead jobs beside it and the oldest logs of failed ones.
    JobFolder(const QString& tempSetting, const QString& defaultTempDirectory);
    JobFolder(JobFolder&& other) noexcept = default;
    JobFolder& operator=(JobFolder&& other) noexcept;
    ~JobFolder() { remove(); }

    bool isValid() const { return m_dir != nullptr; }
    // Absolute and ending in "/", so that no encoder argument made from it looks like an option.
    QString path() const;
    void remove();
    // Removes everything in the folder but the file `name` and leaves the folder with that file
    // in place, no longer this object's; returns the file's path. When there is no such file the
    // folder is removed and the path is empty.
    QString keepOnly(const QString& name);

private:
    // The temporary folder, when the job had to make it; before m_dir, which is made with it.
    QString m_madeParent;
    std::unique_ptr<QTemporaryDir> m_dir;
    // Inside m_dir: released before the folder is removed.
    std::unique_ptr<QLockFile> m_lock;
};

// The name of the lock file inside a job folder.
inline const QString kJobFolderLockName = QStringLiteral("vantomel-job.lock");
// The name of the job's encoder log inside its folder.
inline const QString kJobFolderLogName = QStringLiteral("encoder.log");
// How many failed jobs' logs are kept in a temporary folder.
constexpr int kKeptJobLogs = 10;

// Removes the job folders ("job-" and six letters or digits) directly inside temporaryFolder
// whose lock file is stale: its process on this host has ended (or the host has restarted since).
// A lock of a running process, a lock written on another host, and a folder without a lock file
// (being made, or made by an older version) are left alone, however old; so are symbolic links,
// anything not owned by this user and anything else. Returns how many folders were removed.
int removeStaleJobFolders(const QString& temporaryFolder);

// Removes the oldest kept logs of failed jobs directly inside temporaryFolder, leaving the newest
// `keep`: the job folders ("job-" and six letters or digits, this user's, no link) that hold a
// regular file named kJobFolderLogName and nothing else, ordered by the log's time of change.
// A folder with a lock (a running job) or with anything else in it is left alone. Returns how
// many were removed.
int pruneKeptJobLogs(const QString& temporaryFolder, int keep = kKeptJobLogs);

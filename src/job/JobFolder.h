#pragma once

#include <QString>
#include <QTemporaryDir>
#include <memory>

// The private folder of one join job inside the temporary folder. The job's intermediates live
// here and nowhere else, so that files kept in the temporary folder (even inputs named 0.avi)
// and a second job sharing it are never touched. It is removed, with everything in it, when
// the job ends, however it ends.
class JobFolder
{
public:
    // No folder: a job that needs none.
    JobFolder() = default;
    // Made inside the temp folder setting (which is created, one level, when missing) or, when
    // that cannot be used, inside the program's default temporary folder. When neither can be
    // used the folder is not valid and nothing of the setting's is left behind.
    JobFolder(const QString& tempSetting, const QString& defaultTempDirectory);

    bool isValid() const { return m_dir != nullptr; }
    // Absolute and ending in "/", so that no encoder argument made from it looks like an option.
    QString path() const;
    void remove() { m_dir.reset(); }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

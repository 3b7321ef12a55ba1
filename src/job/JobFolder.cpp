#include "JobFolder.h"

#include "paths/PathText.h"

#include <QDir>
#include <QFileInfo>

namespace {

std::unique_ptr<QTemporaryDir> makeFolderIn(const QString& parent)
{
    if (parent.isEmpty())
        return nullptr;
    const QString absoluteParent = withTrailingSlash(QFileInfo(parent).absoluteFilePath());
    const bool made = !QFileInfo(absoluteParent).isDir();
    if (made && !QDir().mkdir(absoluteParent))
        return nullptr;
    auto folder = std::make_unique<QTemporaryDir>(absoluteParent + QStringLiteral("job-XXXXXX"));
    if (folder->isValid())
        return folder;
    if (made)
        QDir().rmdir(absoluteParent);
    return nullptr;
}

} // namespace

JobFolder::JobFolder(const QString& tempSetting, const QString& defaultTempDirectory)
    : m_dir(makeFolderIn(tempSetting))
{
    // The default is the program's own (the per-user cache may not exist yet).
    if (!m_dir && !defaultTempDirectory.isEmpty() && QDir().mkpath(defaultTempDirectory))
        m_dir = makeFolderIn(defaultTempDirectory);
}

QString JobFolder::path() const
{
    return m_dir ? withTrailingSlash(m_dir->path()) : QString();
}

#include "CurrentProfile.h"

#include "prefs/IniFile.h"

bool CurrentProfile::load(const QString& path, QString* whyNotRead)
{
    auto file = std::make_shared<const IniFile>(path);
    if (file->readProblem() != WholeFileProblem::None) {
        if (whyNotRead)
            *whyNotRead = file->notReadReason();
        return false;
    }
    m_contents = readProfile(*file);
    m_file = std::move(file);
    m_path = path;
    for (OutputSetting setting : kOutputSettings) {
        const ProfileChoiceList& list = m_contents[setting];
        m_selection[setting] = {list.index, list.captions.value(list.index)};
    }
    const QString sizeSection = sectionName(OutputSetting::VideoSize);
    if (m_file->valueExists(sizeSection, kFirstVideoSizeKey))
        m_selection.sizeOfFirstVideo = m_file->readBool(sizeSection, kFirstVideoSizeKey, false);
    return true;
}

QString CurrentProfile::outputExtension() const
{
    return m_path.isEmpty() ? QString() : m_contents.outputExtension();
}

QString CurrentProfile::description(const QString& section) const
{
    return sectionDescription(m_path, section);
}

QString CurrentProfile::value(OutputSetting setting, int index, const QString& defaultValue) const
{
    if (!m_file)
        return defaultValue;
    return m_file->readString(sectionName(setting),
                              QStringLiteral("value") + QString::number(index), defaultValue);
}

QString CurrentProfile::chosenValue(OutputSetting setting, const QString& defaultValue) const
{
    return value(setting, m_selection[setting].index, defaultValue);
}

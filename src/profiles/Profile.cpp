#include "Profile.h"

#include "prefs/IniFile.h"

#include <algorithm>

namespace {

ProfileChoiceList readChoiceList(const IniFile& file, const QString& section)
{
    ProfileChoiceList list;
    const int items =
        std::clamp(file.readInteger(section, QStringLiteral("Items"), 0), 0, kMaxProfileItems);
    for (int n = 0; n < items; ++n)
        list.captions.append(
            file.readString(section, QStringLiteral("Caption") + QString::number(n), QString()));
    const int index = file.readInteger(section, QStringLiteral("Index"), -1);
    list.index = index >= 0 && index < items ? index : -1;
    return list;
}

} // namespace

ProfileContents readProfile(const QString& path)
{
    return readProfile(IniFile(path));
}

ProfileContents readProfile(const IniFile& file)
{
    ProfileContents contents;
    contents.outputType =
        file.readString(QStringLiteral("Main"), QStringLiteral("Type"), QStringLiteral("avi"));
    for (OutputSetting setting : kOutputSettings)
        contents.lists[slot(setting)] = readChoiceList(file, sectionName(setting));
    return contents;
}

QString sectionDescription(const QString& path, const QString& section)
{
    return IniFile(path).readString(section, QStringLiteral("Description"), QString());
}

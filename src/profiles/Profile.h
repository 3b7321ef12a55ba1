#pragma once

#include "OutputSetting.h"

#include <QString>
#include <QStringList>
#include <array>

class IniFile;

// The choices one setting section offers: its captions and the choice preselected (-1: none).
struct ProfileChoiceList
{
    QStringList captions;
    int index = -1;
};

// What loading a profile puts into the Output Settings dialog.
struct ProfileContents
{
    QString outputType = QStringLiteral("avi");
    std::array<ProfileChoiceList, kOutputSettingCount> lists;

    const ProfileChoiceList& operator[](OutputSetting setting) const
    {
        return lists[slot(setting)];
    }
    // "." + the output type: what an output file name must end in.
    QString outputExtension() const { return QLatin1Char('.') + outputType; }
};

// No list box is usable with more choices than this; a larger "Items" is cut here so that a
// damaged profile can neither hang the program nor fill the memory.
inline constexpr int kMaxProfileItems = 256;

// Reads [Main] "Type" and every setting section's "Items", "CaptionN" and "Index". A missing
// file, section or key gives the defaults ("avi", no choices, nothing selected).
ProfileContents readProfile(const QString& path);
ProfileContents readProfile(const IniFile& file);

// The "Description" of a section; empty when the file, section or key is missing.
QString sectionDescription(const QString& path, const QString& section);

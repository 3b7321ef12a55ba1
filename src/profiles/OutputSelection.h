#pragma once

#include "OutputSetting.h"

#include <QString>
#include <array>

// What one box of the Output Settings dialog holds: its selected choice (-1 when none) and its
// text (the selected caption, or what was typed into a free-entry box).
struct SettingChoice
{
    int index = -1;
    QString text;
};

// The output selection: everything the Output Settings dialog's controls hold that the option
// text and the picture size are made from.
struct OutputSelection
{
    std::array<SettingChoice, kOutputSettingCount> choices;
    bool selectSize = true; // size from the "Video Size" list, else the manual fields
    // "Same as the first video": the first video's size as it plays, before both of those.
    bool sizeOfFirstVideo = false;
    QString width;
    QString height;

    SettingChoice& operator[](OutputSetting setting) { return choices[slot(setting)]; }
    const SettingChoice& operator[](OutputSetting setting) const { return choices[slot(setting)]; }
};

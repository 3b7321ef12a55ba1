#pragma once

#include "OutputSelection.h"

#include <QString>
#include <optional>

// The highest audio bitrate, in kbit/s, that the program gives the MP2 codec.
inline constexpr int kMaxMp2Bitrate = 128;

// A refused output selection: the message to show and the control that gets the focus.
struct SelectionRefusal
{
    enum class Field
    {
        VideoBitrate,
        Width,
        Height,
        SampleRate,
        AudioBitrate
    };

    Field field;
    QString caption;
    QString text;
    // The audio bitrate box is to be set to the MP2 limit.
    bool limitAudioBitrate = false;
};

// The dialog's message for a number box whose text is no integer.
SelectionRefusal invalidBoxRefusal(SelectionRefusal::Field field);

// The checks of the dialog's OK, in their order; the first that fails is returned. Only the
// form of the numbers is checked: the typed text is what the encoder receives.
std::optional<SelectionRefusal> checkOutputSelection(const OutputSelection& selection);

// What Start must refuse although the dialog was never confirmed with OK: an "MP2" audio
// bitrate that is not an integer, so the option text could not keep it within the limit.
std::optional<SelectionRefusal> checkSelectionForStart(const OutputSelection& selection);

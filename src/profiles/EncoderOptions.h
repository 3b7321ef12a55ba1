#pragma once

#include "OutputSetting.h"
#include "SelectionChecks.h"

#include <QString>
#include <optional>

class CurrentProfile;

// The chosen video codec is "copy": the job joins the videos' own pictures without re-encoding
// them, in one pass.
bool copiesVideo(const CurrentProfile& profile);
// The pictures are copied and the chosen audio codec is "copy" too.
bool copiesAudio(const CurrentProfile& profile);
// A setting that the option text leaves out as things are chosen: the picture's size, bitrate
// and aspect when the pictures are copied, every sound setting when the sound is.
bool settingUnused(const CurrentProfile& profile, OutputSetting setting);

// The picture size W:H of the output: the "Video Size" value of the selected choice (default
// "640:480") while the size comes from the list, else the manual width and height as typed.
QString pictureSizeText(const CurrentProfile& profile);

// The display aspect the profile asks for, "4:3" or "16:9"; empty for its first choice,
// "Automatic", which leaves the picture its own shape.
QString chosenAspectText(const CurrentProfile& profile);

// The encoder options that describe the output, from the profile's values and the choices made
// in it: one line starting with a blank and ending in the sample rate text. A missing profile,
// section or key gives the defaults, so there is always a text. A copy is " -ovc copy -oac copy",
// or with the sound encoded " -ovc copy -oac lavc -lavcopts acodec=aac:abitrate=160 -channels 2
// -srate 48000".
QString GetEncoderOptions(const CurrentProfile& profile);

// What a value taken into the option text must be.
enum class OptionValueKind
{
    Integer, // as the profile files write integers: "48000", "$BB80"
    Word,    // a codec, mode or output type: "libx264", "vbr", "mp4"
    Size,    // a picture size W:H, "640:480", a side of MEncoder's own "-2:480"
    Aspect,  // "16:9", "16/9" or "1.78"
};

bool isOptionValue(const QString& value, OptionValueKind kind);

// A value the profile (or a box typed into) gives the option text or the output's type that is
// not the one number or word it stands for.
struct OptionValueProblem
{
    QString section; // the profile's section and key: "Sample Rate", "Caption2"
    QString key;
    QString value;
    OptionValueKind kind;
    // Typed into a box of the Output Settings rather than taken from the profile.
    std::optional<SelectionRefusal::Field> typedBox;
};

// The first value of those the option text and the output's type now take that is not of its
// kind; none for every sound profile, whose option text is then composed exactly as before.
std::optional<OptionValueProblem> checkOptionValues(const CurrentProfile& profile);

#pragma once

#include <QString>

class CurrentProfile;

// The picture size W:H of the output: the "Video Size" value of the selected choice (default
// "640:480") while the size comes from the list, else the manual width and height as typed.
QString pictureSizeText(const CurrentProfile& profile);

// The display aspect the profile asks for, "4:3" or "16:9"; empty for its first choice,
// "Automatic", which leaves the picture its own shape.
QString chosenAspectText(const CurrentProfile& profile);

// The encoder options that describe the output, from the profile's values and the choices made
// in it: one line starting with a blank and ending in the sample rate text. A missing profile,
// section or key gives the defaults, so there is always a text.
QString GetEncoderOptions(const CurrentProfile& profile);

#pragma once

#include <QString>
#include <algorithm>
#include <optional>

// One input of a join as the job carries it from its row to the encoder: the file, what was
// probed of it when it was added, and which part of it to take.
struct JobClip
{
    QString path;
    double length = -1;  // probed, in seconds; -1 when the row's Length is not a duration
    QString frameSize{}; // probed: width "x" height
    // Where the part taken begins and ends, in seconds from the file's first picture; none: its
    // beginning, its end.
    std::optional<double> inPoint{};
    std::optional<double> outPoint{};

    // Only a part of the file is taken.
    bool isTrimmed() const { return inPoint || outPoint; }
    // Seconds of the part taken; -1 when it runs to the end of a file of unknown length.
    double takenLength() const
    {
        const double start = inPoint.value_or(0);
        if (outPoint && (length < 0 || *outPoint < length))
            return std::max(0.0, *outPoint - start);
        return length < 0 ? -1 : std::max(0.0, length - start);
    }

    bool operator==(const JobClip&) const = default;
};

#pragma once

#include "EncoderContract.h"

#include <QList>
#include <QObject>

#include <optional>

class CopyOutlook;
class CurrentProfile;
class QLabel;

// The Output Settings' line on the tracks the output will have besides its picture. With a
// profile that copies the pictures, those the copy outlook found in the listed videos, and those
// it drops; before it has answered, and with a profile that re-encodes, what the profile keeps of
// any video's tracks.
class OutputTracksLine : public QObject
{
    Q_OBJECT

public:
    OutputTracksLine(QLabel& line, const CurrentProfile& profile, QObject* parent = nullptr);

    void follow(const CopyOutlook& outlook);
    // The profile or its selection changed.
    void refresh();

private:
    QLabel& m_line;
    const CurrentProfile& m_profile;
    std::optional<QList<vantomel::TrackLine>> m_found; // by the outlook's last answer
};

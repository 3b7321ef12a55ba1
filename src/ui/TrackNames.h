#pragma once

#include "EncoderContract.h"

#include <QList>
#include <QString>

#include <string>

// "English" for "eng"; a code Qt does not know stays as it is, ready for markup.
QString languageName(const std::string& code);

// The tracks of one kind after another, for a line of rich text: "2 sound tracks (English,
// French), subtitles and a data track (gpmd)".
QString tracksListed(const QList<vantomel::TrackLine>& tracks);

// A check's track lines, parted into those the output keeps (numbered) and those it drops.
struct KeptTracks
{
    QList<vantomel::TrackLine> kept;
    QList<vantomel::TrackLine> dropped;
};
KeptTracks keptTracks(const QList<vantomel::TrackLine>& tracks);

// "a", "a and b", "a, b and c"
QString listed(const QStringList& names);

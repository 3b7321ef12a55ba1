#include "ClipTimeline.h"

#include <algorithm>

int ClipTimeline::frameAt(qint64 ms) const
{
    const auto after = std::upper_bound(frameMs.cbegin(), frameMs.cend(), ms);
    return std::max(0, static_cast<int>(after - frameMs.cbegin()) - 1);
}

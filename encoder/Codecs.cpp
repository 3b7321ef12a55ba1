#include "Codecs.h"

namespace asapi {

const std::set<std::string>& videoCodecNames()
{
    static const std::set<std::string> codecs{"mpeg4", "msmpeg4v2",  "msmpeg4",    "wmv1",   "wmv2",
                                              "flv",   "mpeg1video", "mpeg2video", "libx264"};
    return codecs;
}

const std::set<std::string>& lavcAudioCodecNames()
{
    static const std::set<std::string> codecs{"mp2", "ac3", "aac", "wmav2", mp3CodecName};
    return codecs;
}

} // namespace asapi

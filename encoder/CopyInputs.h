#pragma once

#include "CarriedTracks.h"
#include "ContainerRules.h"
#include "CutEncoder.h"
#include "InputProbe.h"
#include "KeyframeCut.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace asapi {

// How a stream's packets carry their NAL units, and the parameter sets its header holds.
struct ParameterSets
{
    int lengthSize = 0; // bytes of each unit's length; 0: start codes (Annex B)
    std::vector<std::vector<std::uint8_t>> units;
};

// Appends a NAL unit to bytes behind its length in lengthSize bytes, as packets carry it.
void appendLengthPrefixed(std::vector<std::uint8_t>& bytes, const std::vector<std::uint8_t>& unit,
                          int lengthSize);

// Nothing for a codec other than H.264 and HEVC, or a header that cannot be read.
std::optional<ParameterSets> parameterSets(const AVCodecParameters* codec);

// An input of a join that copies its packets, opened once: what is checked and what is read.
struct CopyInput
{
    InputFacts facts;
    OpenedInput opened;
    // Where cutPartAtKeyframes moved its part's points to.
    std::vector<MovedPoint> moved;
    // The pictures of the part are copied from copyFrom and before copyUntil, two keyframes;
    // those from the part's start to copyFrom, and from copyUntil to its end, are encoded again
    // (CutEncoder) with these settings. Both at the part's end: the whole part is encoded again.
    std::optional<double> copyFrom;
    std::optional<double> copyUntil;
    CutSettings cutSettings;
    // Its pictures differ from the others': they are all encoded again to match them.
    std::optional<MatchedShape> match;

    // Some of its pictures are encoded again with parameter sets of their own.
    bool encodesWithOwnSets() const { return cutSettings.inBand && (copyFrom || copyUntil); }
    const AVStream* video() const { return opened.context->streams[opened.videoIndex]; }
    // Those of the pictures it brings to the join: its own, or those it is encoded to match.
    const AVCodecParameters* pictureParameters() const
    {
        return match ? match->like.get() : video()->codecpar;
    }
    // Nothing when the input has no sound.
    const AVStream* audio() const
    {
        return opened.audioIndex >= 0 ? opened.context->streams[opened.audioIndex] : nullptr;
    }
};

// Throws EncoderError as openInput does, and a usage one for an output that is also an input.
// Each input's file is set aside once its header is read, and taken up again to be copied.
std::vector<CopyInput> openCopyInputs(const std::vector<std::string>& paths,
                                      const std::string& output);
CopyInput openCopyInput(const std::string& path, const std::string& output);

// A copy cuts a part only on keyframes: its part (facts.part) moves to them, and what moved is
// noted. The points of an x264 clip stay where they are when libx264 can encode the pictures
// between each and its keyframe with the clip's own parameter sets (cutSettingsFor): copyFrom and
// copyUntil are set; with inBandAllowed, those of another H.264 clip too, with parameter sets of
// their own (inBandCutSettingsFor). Reads the input's pictures as far as the part's end. Throws
// EncoderError as openInput does.
void cutPartAtKeyframes(CopyInput& input, const InputPart& part, bool inBandAllowed);

// For each input, why it cannot be joined with the others by copying; empty for one that can,
// one encoded again to match them too.
// Its pictures first, then its sound when it is copied, each against most of the others, so that
// the inputs left when those with a reason are taken out can be joined, as checkCopyable would
// find. (checkCopyable compares with the first input: its refusal names one input.)
std::vector<std::string> reasonsEachDiffers(const std::vector<CopyInput>& inputs, bool audioCopied,
                                            Container container);

// The first input whose pictures are copied: the output's picture is its.
const CopyInput& copiedReference(const std::vector<CopyInput>& inputs);

// Where the pictures of some inputs differ from those of most others, and the others' encoder can
// be matched (cutSettingsFor, or with inBandAllowed inBandCutSettingsFor), those inputs are to be
// encoded again to match them (their match and cutSettings are set): why each one differs, empty
// for the others. An input shown turned otherwise than the others is turned to be shown as it
// is within their turn; one whose copied sound differs from theirs where it cannot follow theirs
// (soundCanFollow) is not matched (a copy refuses it); all are empty when
// nothing is to be matched, or the others' encoder cannot be. Throws EncoderError as openInput
// does.
std::vector<std::string> matchDiffering(std::vector<CopyInput>& inputs, bool audioCopied,
                                        Container container, bool inBandAllowed);

// Maps the inputs' sound, subtitle and data tracks onto the join's (carriedTracks): each input's
// audio() becomes its stream of the join's sound, the first sound track.
std::vector<CarriedTrack> carryTracks(std::vector<CopyInput>& inputs);

// Of the sound streams (nullptr where an input has none), the first that most others are alike
// to, that can be copied into one track with it.
std::size_t mostAlike(const std::vector<const AVStream*>& sounds);

// The inputs' sounds that differ from most others' can follow theirs in one copied track of the
// container: encoded again alike (encodesAlike), or the whole track encoded (wholeTrackEncoder).
bool soundCanFollow(const std::vector<CopyInput>& inputs, Container container);

// Why the sound stream of an input cannot follow that of another in one copied track ("clip2.mp4
// has 1 audio channel; clip1.mp4 has 2 audio channels."); nothing when it can. A missing stream
// (nullptr) is filled with silence where its codec can be encoded.
std::optional<std::string> soundRefusal(const CopyInput& input, const AVStream* sound,
                                        const CopyInput& reference, const AVStream* referenceSound);

// Throws the cannot-copy EncoderError when an input's packets cannot follow the first input's in
// one stream: the message names the first input that differs, how it differs, and the first
// input as it is ("clip3.mov is 1280x720 at 25 fps; clip1.mp4 is 1920x1080 at 30 fps."). The
// sound is compared only when it is copied, and only when the pictures can be: its refusal is
// of a kind of its own.
// An input whose edit list hides pictures at its start is refused as the pictures are: a copy
// would show them. An input encoded again to match the others is compared by its sound alone.
void checkCopyable(const std::vector<CopyInput>& inputs, bool audioCopied, Container container);

// Throws the cannot-copy EncoderError when the container cannot keep how an input is shown (its
// rotation): the message names the input and what to join with instead.
void checkContainerKeeps(const std::vector<CopyInput>& inputs, Container container,
                         bool audioCopied);

// Some later input's picture parameters differ from the first input's, or some pictures are
// encoded again with their own: they go in band.
bool parametersGoInBand(const std::vector<CopyInput>& inputs);

// A later input whose H.264 or HEVC parameter sets differ from those in effect brings its own
// in band, before its first keyframe: the bytes to put there, in the packets' own form. Empty
// when the parameters are the same; all of the input's when none are in effect. checkCopyable
// refuses inputs whose parameters cannot be carried so.
std::vector<std::uint8_t> inBandParameterSets(const AVCodecParameters* inEffect,
                                              const AVCodecParameters* input);

} // namespace asapi

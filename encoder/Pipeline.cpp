#include "Pipeline.h"

#include "CopyJoin.h"
#include "FrameQueue.h"
#include "JoinReadBack.h"
#include "JoinedSource.h"
#include "OutputPlan.h"
#include "OutputWriter.h"
#include "StatusReporter.h"
#include "StopSignal.h"
#include "WorkerThread.h"

#include <algorithm>
#include <filesystem>
#include <numeric>
#include <optional>

namespace asapi {
namespace {

using vantomel::EncoderMessageType;
using vantomel::formatEncoderMessage;

constexpr std::size_t queueCapacity = 16;

bool sameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

InputPart partOf(const InputOptions& input)
{
    return InputPart{input.start.value_or(0.0), input.length};
}

std::vector<InputFacts> probeInputs(const CommandLineOptions& options)
{
    std::vector<InputFacts> inputs;
    for (const auto& input : options.inputs) {
        if (sameFile(input.path, options.output))
            throw EncoderError::usage("The output file " + options.output + " is also an input.");
        InputFacts facts = probeInput(input.path);
        // Not checked against the length the header states: where the clock starts again, the
        // header tells less than the file holds.
        facts.part = partOf(input);
        inputs.push_back(std::move(facts));
    }
    return inputs;
}

// The parameter sets of pictures encoded again may come in band: the user allows it and the
// container can say so.
bool inBandAllowed(const CommandLineOptions& options)
{
    return options.inBandSets &&
           containerFor(options.output, options.outputFormat)->inBandParameterSets;
}

// Inputs whose pictures differ from most others' are encoded again to match them where that can
// be done: a line on each, for -checkonly.
std::string matchDifferingInputs(std::vector<CopyInput>& inputs, const CommandLineOptions& options,
                                 const std::vector<int>& positions)
{
    const std::vector<std::string> reasons =
        matchDiffering(inputs, options.audioEncoder == AudioEncoder::Copy,
                       containerFor(options.output, options.outputFormat), inBandAllowed(options));
    std::string lines;
    for (std::size_t i = 0; i < reasons.size(); ++i)
        if (!reasons[i].empty())
            lines += vantomel::formatDiffersLine({positions[i], reasons[i], true});
    return lines;
}

// Inputs whose pictures a copy refused would be encoded again to match the others with their
// parameter sets in the stream, and the copy go on. They are matched so, as far as that goes.
bool joinsWithInBandSets(std::vector<CopyInput>& inputs, bool audioCopied, Container container)
{
    try {
        const std::vector<std::string> matched =
            matchDiffering(inputs, audioCopied, container, true);
        if (std::all_of(matched.begin(), matched.end(), [](const auto& r) { return r.empty(); }))
            return false;
        checkCopyable(inputs, audioCopied, container);
        checkContainerKeeps(inputs, container, audioCopied);
        return true;
    } catch (const EncoderError&) {
        return false;
    }
}

// Each part moves to its keyframes; with -checkonly, a line on each point that moved.
void cutPartsAtKeyframes(std::vector<CopyInput>& inputs, const CommandLineOptions& options,
                         const std::vector<int>& positions, std::FILE* moves)
{
    const bool inBand = inBandAllowed(options);
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        cutPartAtKeyframes(inputs[i], partOf(options.inputs[positions[i] - 1]), inBand);
        const std::string name = std::filesystem::path(inputs[i].facts.path).filename().string();
        for (const MovedPoint& point : moves ? inputs[i].moved : std::vector<MovedPoint>{})
            std::fputs(vantomel::formatMovedLine(
                           {positions[i], point.outPoint, point.from, point.to, name, point.toEnd})
                           .c_str(),
                       moves);
    }
}

// Lets the reading thread go when the encoding ends early: it may wait on a full queue.
struct QueueRelease
{
    FrameQueue& queue;
    ~QueueRelease() { queue.abandon(); }
};

void encodeAll(FrameQueue& queue, OutputWriter& writer, StatusReporter& reporter)
{
    while (auto item = queue.pop()) {
        if (item->kind == FrameKind::Video) {
            writer.writeVideo(item->frame.get());
            StatusFigures figures = writer.figures();
            figures.elapsed = reporter.elapsedSeconds();
            reporter.report(figures);
        } else {
            writer.writeAudio(std::move(item->frame), item->soundTrack);
        }
    }
}

// A refusal when what was asked cannot be done, an error when the doing failed.
EncoderMessageType messageType(const EncoderError* error)
{
    if (!error)
        return EncoderMessageType::Error;
    switch (error->kind()) {
    case EncoderError::Kind::Usage:
    case EncoderError::Kind::CannotCopy:
    case EncoderError::Kind::CannotCopySound:
        return EncoderMessageType::Refusal;
    default:
        return EncoderMessageType::Error;
    }
}

// How a run that threw ends. A read or write that a stop cut short is no failure of its own.
ExitStatus endOfRun(const std::exception& error, bool afterStatusLines, std::FILE* errors)
{
    const auto* known = dynamic_cast<const EncoderError*>(&error);
    if (known && (known->kind() == EncoderError::Kind::Stop ||
                  (known->kind() == EncoderError::Kind::Encoding && stopRequested())))
        return ExitStatus::Stopped;
    // The status lines end in a carriage return: the message takes a line of its own.
    const std::string message = formatEncoderMessage(messageType(known), error.what());
    std::fprintf(errors, "%s%s", afterStatusLines ? "\n" : "", message.c_str());
    if (!known)
        return ExitStatus::Failed;
    switch (known->kind()) {
    case EncoderError::Kind::CannotCopy:
        return ExitStatus::CannotCopy;
    case EncoderError::Kind::CannotCopySound:
        return ExitStatus::CannotCopySound;
    case EncoderError::Kind::UnreadableInput:
        return ExitStatus::UnreadableInput;
    default:
        return ExitStatus::Failed;
    }
}

// Puts a written file in place. A file that a stop cut short is kept only where no file stood.
// A stop that came once everything was read leaves a complete file, which replaces as usual,
// and the run did all it was asked: it ends as done. A complete file is read back before it is
// placed, so that its join lines say what it holds, not what was meant, and a stop that kills
// the run meanwhile leaves the output path as it was.
template <typename Writer>
ExitStatus placeFile(Writer& writer, bool cutShort, const WrittenJoin& written,
                     StatusReporter& reporter, const std::string& output, std::FILE* errors)
{
    std::optional<ReadBackReport> readBack;
    double readBackSeconds = 0.0;
    const auto readBackFirst = [&](const std::string& readablePath) {
        if (readablePath.empty())
            return;
        const double before = reporter.elapsedSeconds();
        readBack = readJoinBack(readablePath, output, written);
        readBackSeconds = reporter.elapsedSeconds() - before;
    };
    if (!writer.finish(cutShort ? Placement::BesideExisting : Placement::Replace,
                       cutShort ? BeforePlacing() : BeforePlacing(readBackFirst))) {
        const std::string kept = formatEncoderMessage(
            EncoderMessageType::Warning, "The run was stopped: the existing " + output +
                                             " is kept and the shorter file discarded.");
        std::fprintf(errors, "\n%s", kept.c_str());
        return ExitStatus::Stopped;
    }
    StatusFigures figures = writer.figures();
    figures.elapsed = reporter.elapsedSeconds();
    reporter.finish(figures);
    if (!readBack) {
        reporter.reportJoins(written.joins);
        return cutShort ? ExitStatus::Stopped : ExitStatus::Done;
    }
    reporter.reportReadBack(*readBack);
    reporter.reportReadBackTime(readBackSeconds);
    return ExitStatus::Done;
}

// -checkonly -ovc copy: the refusal that the join would give, then a line on every input that
// cannot be joined with the others, an unreadable one too, for the program to mark each.
ExitStatus checkCopy(const CommandLineOptions& options, std::FILE* errors)
{
    const bool audioCopied = options.audioEncoder == AudioEncoder::Copy;
    const Container container = containerFor(options.output, options.outputFormat);
    const std::vector<std::string> paths = inputPaths(options);
    std::vector<CopyInput> readable;
    std::vector<int> positions; // of the readable inputs, 1-based
    std::vector<vantomel::DiffersLine> lines;
    std::optional<EncoderError> refusal;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        try {
            readable.push_back(openCopyInput(paths[i], options.output));
            positions.push_back(static_cast<int>(i) + 1);
        } catch (const EncoderError& error) {
            // The first fault is the one a join would stop at.
            if (!refusal)
                refusal = error;
            if (error.kind() == EncoderError::Kind::UnreadableInput)
                lines.push_back({static_cast<int>(i) + 1, error.what()});
        }
    }
    if (refusal && refusal->kind() != EncoderError::Kind::UnreadableInput)
        throw *refusal;
    std::vector<CarriedTrack> tracks = carryTracks(readable);
    if (!refusal) {
        try {
            const std::string encoded = matchDifferingInputs(readable, options, positions);
            checkCopyable(readable, audioCopied, container);
            checkContainerKeeps(readable, container, audioCopied);
            const CopyPlan plan = planCopy(options, readable, std::move(tracks));
            cutPartsAtKeyframes(readable, options, positions, errors);
            std::fputs(encoded.c_str(), errors);
            // Those whose pictures are copied and whose sound is encoded again to match.
            for (std::size_t i = 0; i < readable.size(); ++i)
                if (!readable[i].match && !plan.soundEncodedReasons[i].empty())
                    std::fputs(vantomel::formatDiffersLine(
                                   {positions[i], plan.soundEncodedReasons[i], true, true})
                                   .c_str(),
                               errors);
            for (const auto& lines : {plan.trackLines, plan.dropped})
                for (const vantomel::TrackLine& line : lines)
                    std::fputs(vantomel::formatTrackLine(line).c_str(), errors);
            return ExitStatus::Done;
        } catch (const EncoderError& error) {
            if (error.kind() != EncoderError::Kind::CannotCopy &&
                error.kind() != EncoderError::Kind::CannotCopySound)
                throw;
            refusal = error;
        }
    }
    const ExitStatus status = endOfRun(*refusal, false, errors);
    const std::vector<std::string> reasons = reasonsEachDiffers(readable, audioCopied, container);
    for (std::size_t i = 0; i < reasons.size(); ++i)
        if (!reasons[i].empty())
            lines.push_back({positions[i], reasons[i]});
    std::sort(lines.begin(), lines.end(),
              [](const auto& a, const auto& b) { return a.input < b.input; });
    for (const vantomel::DiffersLine& line : lines)
        std::fputs(vantomel::formatDiffersLine(line).c_str(), errors);
    if (refusal->kind() == EncoderError::Kind::CannotCopy && paths.size() == readable.size() &&
        !options.inBandSets && container->inBandParameterSets &&
        joinsWithInBandSets(readable, audioCopied, container))
        std::fprintf(errors, "%s\n", std::string(vantomel::kJoinsWithInBandSets).c_str());
    return status;
}

// -ovc copy: the inputs are checked against each other and joined by copying their pictures.
ExitStatus joinByCopying(const CommandLineOptions& options, std::FILE* status, std::FILE* errors,
                         const Warn& warn, bool& writing)
{
    if (options.checkOnly)
        return checkCopy(options, errors);
    std::vector<CopyInput> inputs = openCopyInputs(inputPaths(options), options.output);
    std::vector<CarriedTrack> tracks = carryTracks(inputs);
    std::vector<int> positions(inputs.size());
    std::iota(positions.begin(), positions.end(), 1);
    matchDifferingInputs(inputs, options, positions);
    const bool audioCopied = options.audioEncoder == AudioEncoder::Copy;
    const Container container = containerFor(options.output, options.outputFormat);
    checkCopyable(inputs, audioCopied, container);
    checkContainerKeeps(inputs, container, audioCopied);
    cutPartsAtKeyframes(inputs, options, positions, nullptr);
    const CopyPlan plan = planCopy(options, inputs, std::move(tracks));
    for (const std::string& dropped : plan.droppedSentences)
        warn(dropped);
    if (stopRequested())
        return ExitStatus::Stopped;
    CopyJoin join(plan, inputs, warn);
    writing = true;
    StatusReporter reporter(status);
    join.create(options.output);
    join.run([&reporter](StatusFigures figures) {
        figures.elapsed = reporter.elapsedSeconds();
        reporter.report(figures);
    });
    // Stopped before the first picture: there is nothing worth a file.
    if (join.framesWritten() == 0) {
        if (!join.cutShort())
            throw EncoderError{"No picture was written to " + options.output + "."};
        join.discard();
        return ExitStatus::Stopped;
    }
    return placeFile(join, join.cutShort(), join.written(), reporter, options.output, errors);
}

} // namespace

ExitStatus runEncoder(const std::vector<std::string>& arguments, std::FILE* status,
                      std::FILE* errors)
{
    const Warn warn = [errors](const std::string& message) {
        std::fputs(formatEncoderMessage(EncoderMessageType::Warning, message).c_str(), errors);
    };
    std::optional<OutputWriter> writer;
    bool writing = false;
    try {
        const CommandLineOptions options = parseCommandLine(arguments);
        if (options.copyVideo)
            return joinByCopying(options, status, errors, warn, writing);
        // -checkonly: the command line alone is checked; nothing is opened.
        if (options.checkOnly)
            return ExitStatus::Done;
        const std::vector<InputFacts> inputs = probeInputs(options);
        OutputPlan plan = planOutput(options, inputs, warn);
        const std::vector<CarriedTrack> soundTracks = encodedSoundTracks(inputs, plan.container);
        plan.soundTrackLanguages.clear();
        for (const CarriedTrack& track : soundTracks)
            plan.soundTrackLanguages.push_back(track.language);
        writer.emplace(plan);
        // Stopped before anything was written: there is no file to finish.
        if (stopRequested())
            return ExitStatus::Stopped;

        writing = true;
        StatusReporter reporter(status);
        writer->create(options.output);
        FrameQueue queue(queueCapacity);
        JoinedSource source(inputs, plan.pictureLayouts, soundTracks, writer->videoTarget(),
                            writer->audioTarget(), plan.decoderThreads, queue, warn);
        {
            WorkerThread reading([&source] { source.run(); }, [&queue] { queue.close(); });
            const QueueRelease release{queue};
            encodeAll(queue, *writer, reporter);
            reading.join();
        }
        const bool cutShort = source.cutShort();
        // Stopped before the first picture: there is nothing worth a file.
        if (writer->framesWritten() == 0) {
            if (!cutShort)
                throw EncoderError{"No picture was written to " + options.output + "."};
            writer->discard();
            return ExitStatus::Stopped;
        }
        writer->setChapters(source.chapters());
        return placeFile(*writer, cutShort, source.written(), reporter, options.output, errors);
    } catch (const std::exception& error) {
        if (writer)
            writer->discard();
        return endOfRun(error, writing, errors);
    }
}

} // namespace asapi

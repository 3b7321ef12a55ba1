#include "Pipeline.h"

#include "FrameQueue.h"
#include "JoinedSource.h"
#include "OutputPlan.h"
#include "OutputWriter.h"
#include "StatusReporter.h"
#include "StopSignal.h"

#include <filesystem>
#include <optional>
#include <thread>

namespace asapi {
namespace {

constexpr std::size_t queueCapacity = 16;

bool sameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

// Decodes on its own thread; an error there is kept and handed to the encoding thread.
class SourceThread
{
public:
    SourceThread(JoinedSource& source, FrameQueue& queue)
        : m_thread([this, &source, &queue] {
              try {
                  source.run();
              } catch (const EncoderError& error) {
                  m_error = error;
              } catch (const WriterGone&) {
              } catch (const StopRequested&) {
              } catch (const std::exception& error) {
                  m_error = EncoderError{error.what()};
              }
              queue.close();
          })
    {
    }
    ~SourceThread() { join(); }

    void join()
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    const std::optional<EncoderError>& error() const { return m_error; }

private:
    std::optional<EncoderError> m_error;
    std::thread m_thread;
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
            writer.writeAudio(std::move(item->frame));
        }
    }
}

} // namespace

ExitStatus runEncoder(const CommandLineOptions& options, std::FILE* status, std::FILE* errors)
{
    OutputPlan plan;
    std::vector<InputFacts> inputs;
    std::optional<OutputWriter> writer;
    try {
        for (const auto& path : options.inputs) {
            if (sameFile(path, options.output))
                throw UsageError{"The output file " + options.output + " is also an input."};
            inputs.push_back(probeInput(path));
        }
        plan = planOutput(options, inputs);
        writer.emplace(plan);
    } catch (const StopRequested&) {
        return ExitStopped;
    } catch (const UsageError& error) {
        std::fprintf(errors, "%s\n", error.message.c_str());
        return ExitFailed;
    } catch (const EncoderError& error) {
        if (stopRequested())
            return ExitStopped;
        std::fprintf(errors, "%s\n", error.message.c_str());
        return ExitFailed;
    } catch (const std::exception& error) {
        std::fprintf(errors, "%s\n", error.what());
        return ExitFailed;
    }

    // Stopped before anything was written: there is no file to finish.
    if (stopRequested())
        return ExitStopped;

    StatusReporter reporter(status);
    try {
        writer->create(options.output);
        FrameQueue queue(queueCapacity);
        JoinedSource source(inputs, writer->videoTarget(), writer->audioTarget(),
                            plan.decoderThreads, queue);
        SourceThread reading(source, queue);
        try {
            encodeAll(queue, *writer, reporter);
        } catch (...) {
            queue.abandon();
            throw;
        }
        reading.join();
        if (reading.error())
            throw *reading.error();
        // Stopped before the first picture: there is nothing worth a file.
        if (writer->framesWritten() == 0) {
            if (!stopRequested())
                throw EncoderError{"No picture was written to " + options.output + "."};
            writer->discard();
            return ExitStopped;
        }
        writer->finish();
    } catch (const StopRequested&) {
        writer->discard();
        return ExitStopped;
    } catch (const EncoderError& error) {
        writer->discard();
        // A write or read cut short by the stop is no failure of its own.
        if (stopRequested())
            return ExitStopped;
        std::fprintf(errors, "\n%s\n", error.message.c_str());
        return ExitFailed;
    } catch (const std::exception& error) {
        writer->discard();
        std::fprintf(errors, "\n%s\n", error.what());
        return ExitFailed;
    }
    StatusFigures figures = writer->figures();
    figures.elapsed = reporter.elapsedSeconds();
    reporter.finish(figures);
    return stopRequested() ? ExitStopped : ExitDone;
}

} // namespace asapi

#include "AudioTimeline.h"

extern "C" {
#include <libavutil/samplefmt.h>
}

#include <algorithm>
#include <cmath>
#include <vector>

namespace asapi {
namespace {

// Gaps in an input's sound shorter than this are jitter, not missing audio.
constexpr double gapThresholdSeconds = 0.1;
constexpr int silenceChunk = 4096;

struct SampleBuffer
{
    uint8_t** data = nullptr;
    SampleBuffer(int channels, int samples, AVSampleFormat format)
    {
        check(av_samples_alloc_array_and_samples(&data, nullptr, channels, samples, format, 0),
              "Out of memory");
    }
    ~SampleBuffer()
    {
        if (data)
            av_freep(&data[0]);
        av_freep(&data);
    }
    SampleBuffer(const SampleBuffer&) = delete;
    SampleBuffer& operator=(const SampleBuffer&) = delete;
};

} // namespace

AudioTimeline::AudioTimeline(const AudioTarget& target, Emit emit, Warn warn)
    : m_target(target), m_emit(std::move(emit)), m_warn(std::move(warn)),
      m_fifo(allocated(av_audio_fifo_alloc(m_target.format, m_target.layout.nb_channels,
                                           m_target.frameSize * 4))),
      m_appended(target.leadIn), m_emitted(target.leadIn)
{
}

std::int64_t AudioTimeline::samplesFor(std::int64_t videoFrames) const
{
    return av_rescale(videoFrames,
                      static_cast<std::int64_t>(m_target.sampleRate) * m_target.videoRate.den,
                      m_target.videoRate.num);
}

void AudioTimeline::beginInput(const std::string& path, bool hasAudio, std::int64_t videoFrames)
{
    m_inputPath = path;
    m_inputHasAudio = hasAudio;
    m_inputStart = samplesFor(videoFrames);
    m_inputSoundStart = m_inputStart;
    m_placed = false;
    m_skip = 0;
    m_resampler.reset();
    m_resamplerFormat = -1;
}

void AudioTimeline::configureResampler(const AVFrame* decoded)
{
    AVChannelLayout layout{};
    if (decoded->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&layout, decoded->ch_layout.nb_channels);
    else
        av_channel_layout_copy(&layout, &decoded->ch_layout);
    if (m_resampler && decoded->format == m_resamplerFormat &&
        decoded->sample_rate == m_resamplerRate &&
        av_channel_layout_compare(&layout, &m_resamplerLayout) == 0) {
        av_channel_layout_uninit(&layout);
        return;
    }
    SwrContext* context = nullptr;
    const int result = swr_alloc_set_opts2(
        &context, &m_target.layout, m_target.format, m_target.sampleRate, &layout,
        static_cast<AVSampleFormat>(decoded->format), decoded->sample_rate, 0, nullptr);
    m_resampler.reset(context);
    const std::string what = "Cannot set up the audio conversion of " + clipName(m_inputPath);
    check(result, what);
    check(swr_init(context), what);
    av_channel_layout_uninit(&m_resamplerLayout);
    m_resamplerLayout = layout;
    m_resamplerFormat = decoded->format;
    m_resamplerRate = decoded->sample_rate;
}

void AudioTimeline::convert(const AVFrame* decoded)
{
    const int capacity =
        swr_get_out_samples(m_resampler.get(), decoded ? decoded->nb_samples : 0) + 32;
    SampleBuffer buffer(m_target.layout.nb_channels, capacity, m_target.format);
    const int converted =
        swr_convert(m_resampler.get(), buffer.data, capacity,
                    decoded ? const_cast<const uint8_t**>(decoded->extended_data) : nullptr,
                    decoded ? decoded->nb_samples : 0);
    if (converted < 0) {
        m_warn("Skipping audio that cannot be converted: " + errorText(converted) + ".");
        return;
    }
    append(buffer.data, converted);
}

void AudioTimeline::append(uint8_t* const* data, int samples)
{
    int offset = 0;
    if (m_skip > 0) {
        offset = static_cast<int>(std::min<std::int64_t>(m_skip, samples));
        m_skip -= offset;
    }
    if (offset == samples)
        return;
    std::vector<uint8_t*> planes(m_target.layout.nb_channels);
    const int planar = av_sample_fmt_is_planar(m_target.format);
    const int bytesPerSample =
        av_get_bytes_per_sample(m_target.format) * (planar ? 1 : m_target.layout.nb_channels);
    for (std::size_t i = 0; i < planes.size(); ++i)
        planes[i] = (planar || i == 0) ? data[i] + offset * bytesPerSample : nullptr;
    const int written = av_audio_fifo_write(m_fifo.get(), reinterpret_cast<void**>(planes.data()),
                                            samples - offset);
    check(written, "Out of memory");
    m_appended += written;
}

void AudioTimeline::appendSilence(std::int64_t samples, std::int64_t limit)
{
    while (samples > 0) {
        const int chunk = static_cast<int>(std::min<std::int64_t>(samples, silenceChunk));
        SampleBuffer buffer(m_target.layout.nb_channels, chunk, m_target.format);
        av_samples_set_silence(buffer.data, 0, chunk, m_target.layout.nb_channels, m_target.format);
        const std::int64_t skip = m_skip;
        m_skip = 0;
        append(buffer.data, chunk);
        m_skip = skip;
        samples -= chunk;
        release(limit);
    }
}

void AudioTimeline::push(const AVFrame* decoded, double start)
{
    if (decoded->ch_layout.nb_channels <= 0 || decoded->sample_rate <= 0 ||
        decoded->nb_samples <= 0)
        return; // nothing a damaged packet left usable
    configureResampler(decoded);
    const std::int64_t expected =
        m_inputStart + static_cast<std::int64_t>(std::llround(start * m_target.sampleRate));
    const std::int64_t current =
        m_appended - m_skip + swr_get_delay(m_resampler.get(), m_target.sampleRate);
    if (!m_placed) {
        // The input's sound may begin before or after its picture.
        if (expected > current)
            appendSilence(expected - current, m_emitted);
        else
            m_skip += current - expected;
        m_inputSoundStart = std::max(expected, m_inputStart);
        m_placed = true;
    } else if (expected - current > gapThresholdSeconds * m_target.sampleRate) {
        appendSilence(expected - current, m_emitted); // packets lost on the way
    }
    convert(decoded);
}

void AudioTimeline::videoReached(std::int64_t videoFrames)
{
    const std::int64_t limit = samplesFor(videoFrames);
    if (!m_inputHasAudio && m_appended < limit)
        appendSilence(limit - m_appended, limit);
    release(limit);
}

void AudioTimeline::endInput(std::int64_t videoFrames)
{
    if (m_resampler)
        convert(nullptr);
    const std::int64_t target = samplesFor(videoFrames);
    if (m_appended < target)
        appendSilence(target - m_appended, target);
    else if (m_appended > target)
        truncateTo(target);
    release(target);
    m_resampler.reset();
}

void AudioTimeline::finish()
{
    release(m_appended);
    const int left = av_audio_fifo_size(m_fifo.get());
    if (left > 0)
        emitFrame(left);
}

void AudioTimeline::release(std::int64_t limit)
{
    while (av_audio_fifo_size(m_fifo.get()) >= m_target.frameSize &&
           m_emitted + m_target.frameSize <= limit)
        emitFrame(m_target.frameSize);
}

void AudioTimeline::emitFrame(int samples)
{
    FramePtr frame = makeFrame();
    frame->nb_samples = samples;
    frame->format = m_target.format;
    frame->sample_rate = m_target.sampleRate;
    check(av_channel_layout_copy(&frame->ch_layout, &m_target.layout), "Out of memory");
    check(av_frame_get_buffer(frame.get(), 0), "Out of memory");
    check(av_audio_fifo_read(m_fifo.get(), reinterpret_cast<void**>(frame->data), samples),
          "Cannot read buffered audio");
    frame->pts = m_emitted;
    m_emitted += samples;
    m_emit(std::move(frame));
}

void AudioTimeline::truncateTo(std::int64_t total)
{
    const int waiting = av_audio_fifo_size(m_fifo.get());
    const int keep = static_cast<int>(std::max<std::int64_t>(0, waiting - (m_appended - total)));
    SampleBuffer buffer(m_target.layout.nb_channels, std::max(keep, 1), m_target.format);
    if (keep > 0)
        av_audio_fifo_read(m_fifo.get(), reinterpret_cast<void**>(buffer.data), keep);
    av_audio_fifo_reset(m_fifo.get());
    if (keep > 0)
        av_audio_fifo_write(m_fifo.get(), reinterpret_cast<void**>(buffer.data), keep);
    m_appended = m_emitted + keep;
}

} // namespace asapi

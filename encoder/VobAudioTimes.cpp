#include "VobAudioTimes.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <sys/types.h>
#include <unistd.h>
#include <vector>

namespace asapi {
namespace {

constexpr std::size_t blockSize = 1 << 20; // larger than any packet
// An AC-3 frame begins with its sync word 0x0B77; FFmpeg's parser finds the frame by its first
// seven bytes.
constexpr std::size_t frameHeaderSize = 7;
constexpr std::uint8_t privateStream1 = 0xBD;
constexpr std::uint8_t firstAc3Substream = 0x80;
constexpr std::uint8_t lastAc3Substream = 0x87;

// Sequential reads of the file in large blocks.
class BlockReader
{
public:
    explicit BlockReader(int fd) : m_fd(fd), m_data(blockSize) {}

    // The bytes [position, position + count), nullptr past the end of the file or on an error.
    const std::uint8_t* at(off_t position, std::size_t count)
    {
        if (position < m_start || position + static_cast<off_t>(count) > m_start + m_size)
            load(position);
        if (position + static_cast<off_t>(count) > m_start + m_size)
            return nullptr;
        return m_data.data() + (position - m_start);
    }
    bool failed() const { return m_failed; }

private:
    void load(off_t position)
    {
        m_start = position;
        m_size = 0;
        while (m_size < static_cast<off_t>(m_data.size())) {
            const ssize_t count =
                pread(m_fd, m_data.data() + m_size, m_data.size() - m_size, m_start + m_size);
            if (count < 0)
                m_failed = true;
            if (count <= 0)
                return;
            m_size += count;
        }
    }

    int m_fd;
    std::vector<std::uint8_t> m_data;
    off_t m_start = 0;
    off_t m_size = 0;
    bool m_failed = false;
};

// The last bytes of the sound each AC-3 substream carried in its packet before.
using Tails = std::array<std::vector<std::uint8_t>, lastAc3Substream - firstAc3Substream + 1>;

// Whether a frame begins in tail so close to its end that its header goes on in the next packet.
bool frameHeaderCut(const std::vector<std::uint8_t>& tail, std::uint8_t next)
{
    for (std::size_t i = 0; i < tail.size(); ++i) {
        const std::uint8_t second = i + 1 < tail.size() ? tail[i + 1] : next;
        if (tail[i] == 0x0B && second == 0x77)
            return true;
    }
    return false;
}

// packet: one whole PES packet of private stream 1 at position. False when a write failed.
bool fixPacket(int fd, const std::uint8_t* packet, std::size_t size, off_t position, Tails& tails)
{
    // An MPEG-2 header: '10' marker bits, flags, header data length.
    if (size < 9 || (packet[6] & 0xC0) != 0x80)
        return true;
    const std::uint8_t flags = packet[7];
    const std::size_t headerLength = packet[8];
    // After the header: substream id, frame count, pointer to the first frame.
    const std::size_t sound = 9 + headerLength + 4;
    if (sound >= size)
        return true;
    const std::uint8_t substream = packet[9 + headerLength];
    if (substream < firstAc3Substream || substream > lastAc3Substream)
        return true;
    auto& tail = tails[substream - firstAc3Substream];

    const bool hasTime = flags & 0x80;
    if (hasTime && frameHeaderCut(tail, packet[sound])) {
        // The time's five bytes (ten with a decoding time) go; the fields after them move up and
        // stuffing fills the header to its old length.
        const std::size_t timeLength = (flags & 0x40) ? 10 : 5;
        if (timeLength <= headerLength) {
            std::vector<std::uint8_t> header(2 + headerLength, 0xFF);
            header[0] = flags & 0x3F;
            header[1] = packet[8];
            std::copy(packet + 9 + timeLength, packet + 9 + headerLength, header.begin() + 2);
            if (pwrite(fd, header.data(), header.size(), position + 7) !=
                static_cast<ssize_t>(header.size()))
                return false;
        }
    }
    std::vector<std::uint8_t> joined = tail;
    joined.insert(joined.end(), packet + sound, packet + size);
    const std::size_t keep = std::min(joined.size(), frameHeaderSize - 1);
    tail.assign(joined.end() - static_cast<std::ptrdiff_t>(keep), joined.end());
    return true;
}

} // namespace

bool clearTimesOfCutAudioFrames(int fd)
{
    BlockReader reader(fd);
    Tails tails;
    off_t position = 0;
    while (const std::uint8_t* start = reader.at(position, 6)) {
        if (start[0] != 0 || start[1] != 0 || start[2] != 1)
            break; // not a stream this muxer wrote; leave it as it is
        const std::uint8_t code = start[3];
        if (code == 0xB9) { // program end
            position += 4;
        } else if (code == 0xBA) { // pack header, MPEG-2 or MPEG-1
            const std::uint8_t* pack = reader.at(position, 14);
            if (!pack)
                break;
            position += (pack[4] & 0xC0) == 0x40 ? 14 + (pack[13] & 0x07) : 12;
        } else if (code > 0xBA) { // system header or a packet of a stream
            const std::size_t size = 6 + (std::size_t(start[4]) << 8 | start[5]);
            if (code == privateStream1) {
                const std::uint8_t* packet = reader.at(position, size);
                if (!packet)
                    break;
                if (!fixPacket(fd, packet, size, position, tails))
                    return false;
            }
            position += static_cast<off_t>(size);
        } else {
            break;
        }
    }
    return !reader.failed();
}

} // namespace asapi

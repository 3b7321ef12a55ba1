#include "H264Header.h"

#include <stdexcept>

namespace asapi {
namespace {

// Reads the bits of a NAL unit's payload, its emulation prevention bytes taken out. Reading past
// the end throws.
class BitReader
{
public:
    explicit BitReader(const std::vector<std::uint8_t>& unit)
    {
        int zeros = 0;
        for (const std::uint8_t byte : unit) {
            if (zeros >= 2 && byte == 3) {
                zeros = 0;
                continue;
            }
            zeros = byte == 0 ? zeros + 1 : 0;
            m_bytes.push_back(byte);
        }
    }

    unsigned bits(int count)
    {
        unsigned value = 0;
        for (int i = 0; i < count; ++i) {
            if (m_position >= m_bytes.size() * 8)
                throw std::out_of_range("end of unit");
            value = value << 1 | ((m_bytes[m_position / 8] >> (7 - m_position % 8)) & 1);
            ++m_position;
        }
        return value;
    }
    bool flag() { return bits(1) != 0; }
    // Exp-Golomb codes.
    unsigned unsignedCode()
    {
        int zeros = 0;
        while (!flag())
            if (++zeros > 31)
                throw std::out_of_range("bad code");
        return (1u << zeros) - 1 + bits(zeros);
    }
    int signedCode()
    {
        const unsigned code = unsignedCode();
        return code & 1 ? static_cast<int>((code + 1) / 2) : -static_cast<int>(code / 2);
    }

private:
    std::vector<std::uint8_t> m_bytes;
    std::size_t m_position = 0;
};

void skipScalingList(BitReader& reader, int size)
{
    int last = 8;
    int next = 8;
    for (int i = 0; i < size && next != 0; ++i) {
        next = (last + reader.signedCode() + 256) % 256;
        if (next != 0)
            last = next;
    }
}

bool hasChromaFormat(unsigned profile)
{
    for (const unsigned high :
         {100u, 110u, 122u, 244u, 44u, 83u, 86u, 118u, 128u, 138u, 139u, 134u, 135u})
        if (profile == high)
            return true;
    return false;
}

} // namespace

std::optional<bool> statedFullRange(const std::vector<std::uint8_t>& sequenceParameterSet)
{
    try {
        BitReader reader(sequenceParameterSet);
        if ((reader.bits(8) & 0x1f) != 7)
            return std::nullopt;
        const unsigned profile = reader.bits(8);
        reader.bits(16); // constraint flags, level
        reader.unsignedCode();
        if (hasChromaFormat(profile)) {
            const unsigned chromaFormat = reader.unsignedCode();
            if (chromaFormat == 3)
                reader.flag();
            reader.unsignedCode(); // bit depths
            reader.unsignedCode();
            reader.flag();
            if (reader.flag()) {
                for (int i = 0; i < (chromaFormat == 3 ? 12 : 8); ++i)
                    if (reader.flag())
                        skipScalingList(reader, i < 6 ? 16 : 64);
            }
        }
        reader.unsignedCode(); // frame number length
        const unsigned orderType = reader.unsignedCode();
        if (orderType == 0) {
            reader.unsignedCode();
        } else if (orderType == 1) {
            reader.flag();
            reader.signedCode();
            reader.signedCode();
            for (unsigned i = reader.unsignedCode(); i > 0; --i)
                reader.signedCode();
        }
        reader.unsignedCode(); // reference frames
        reader.flag();
        reader.unsignedCode(); // size in macroblocks
        reader.unsignedCode();
        if (!reader.flag()) // frames only
            reader.flag();
        reader.flag();
        if (reader.flag()) // cropping
            for (int i = 0; i < 4; ++i)
                reader.unsignedCode();
        if (!reader.flag()) // no usability information
            return std::nullopt;
        if (reader.flag() && reader.bits(8) == 255) // aspect ratio, given as two numbers
            reader.bits(32);
        if (reader.flag()) // overscan
            reader.flag();
        if (!reader.flag()) // no video signal type
            return std::nullopt;
        reader.bits(3);
        return reader.flag();
    } catch (const std::out_of_range&) {
        return std::nullopt;
    }
}

} // namespace asapi

#pragma once

#include "CopyInputs.h"
#include "FfmpegPointers.h"

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace asapi {

// Encodes again the pictures at the cuts of a copy's inputs (encodeCut) ahead of the copy, on
// worker threads: the copy itself mostly waits on the disk, and the cuts of several inputs are
// encoded at once. Inputs are taken in order, at most a few ahead of the one being copied, so
// that the packets held stay few.
class CutPictures
{
public:
    explicit CutPictures(const std::vector<CopyInput>& inputs);
    ~CutPictures();
    CutPictures(const CutPictures&) = delete;
    CutPictures& operator=(const CutPictures&) = delete;

    // The copy has come to this input: the cuts of the few after it may be encoded.
    void copying(std::size_t input);
    // The packets of the input's pictures before its first copied keyframe (lead) or from its
    // last one on, timed as encodeCut times them; waits for them. Throws the EncoderError their
    // encoding threw.
    std::vector<PacketPtr> take(std::size_t input, bool lead);

private:
    struct Cut
    {
        std::size_t input = 0;
        bool lead = true;
        double from = 0.0;
        double until = 0.0;
        bool done = false;
        std::vector<PacketPtr> packets;
        std::exception_ptr error;
    };

    void work();

    const std::vector<CopyInput>& m_inputs;
    std::vector<Cut> m_cuts;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_next = 0;   // the next cut to encode
    std::size_t m_copied = 0; // the input being copied
    bool m_ending = false;
    std::vector<std::thread> m_workers;
};

} // namespace asapi

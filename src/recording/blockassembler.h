#pragma once

#include "recording/captureblock.h"
#include "recording/waveformat.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace skywell
{

// Gathers sample bytes, as a capture receives them, into capture blocks of
// one format and a fixed number of sample bytes. Each block filled goes to
// the hand-over; flush() hands over the one begun, cut to what it holds.
class BlockAssembler final
{
public:
    // Takes a finished block; false refuses it (capture is stopping).
    using HandOver = std::function<bool(CaptureBlockPtr)>;

    // blockBytes: sample bytes per block, more than zero.
    BlockAssembler(const WaveFormat &format, std::size_t blockBytes, HandOver handOver);

    // Adds the bytes; null data adds that many bytes of silence (a gap, so
    // that time keeps its length). False when the hand-over refused a
    // block; the bytes after it are dropped.
    bool add(const std::uint8_t *data, std::size_t bytes);
    // Hands over the block begun, if any; false when it was refused.
    bool flush();

    std::size_t pendingBytes() const { return m_filled; }

private:
    void begin();
    bool handOverBlock();

    WaveFormat m_format;
    std::size_t m_blockBytes;
    HandOver m_handOver;
    std::vector<std::uint8_t> m_block;
    std::size_t m_filled = 0;
};

} // namespace skywell

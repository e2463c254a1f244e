#include "recording/blockassembler.h"

#include <QtGlobal>

#include <algorithm>
#include <cstring>

namespace skywell
{

BlockAssembler::BlockAssembler(const WaveFormat &format, std::size_t blockBytes, HandOver handOver)
    : m_format(format), m_blockBytes(blockBytes), m_handOver(std::move(handOver))
{
    Q_ASSERT(blockBytes > 0);
    begin();
}

bool BlockAssembler::add(const std::uint8_t *data, std::size_t bytes)
{
    while (bytes > 0) {
        const std::size_t n = std::min(bytes, m_blockBytes - m_filled);
        // A block begins zeroed: silence needs no writing.
        if (data) {
            std::memcpy(m_block.data() + CaptureBlock::kSampleOffset + m_filled, data, n);
            data += n;
        }
        m_filled += n;
        bytes -= n;
        if (m_filled == m_blockBytes && !handOverBlock())
            return false;
    }
    return true;
}

bool BlockAssembler::flush()
{
    return m_filled == 0 || handOverBlock();
}

void BlockAssembler::begin()
{
    m_block.assign(CaptureBlock::kSampleOffset + m_blockBytes, 0);
    m_format.writeTo(m_block.data());
    m_filled = 0;
}

bool BlockAssembler::handOverBlock()
{
    putU32(m_block.data() + CaptureBlock::kSampleCountOffset, std::uint32_t(m_filled));
    m_block.resize(CaptureBlock::kSampleOffset + m_filled);
    auto block = std::make_unique<CaptureBlock>(std::move(m_block));
    begin();
    return m_handOver(std::move(block));
}

} // namespace skywell

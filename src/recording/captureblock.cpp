#include "recording/captureblock.h"

#include <cstring>

namespace skywell
{

CaptureBlock::CaptureBlock(const WaveFormat &format, const void *samples, std::uint32_t sampleBytes)
    : m_bytes(kSampleOffset + sampleBytes, 0)
{
    format.writeTo(m_bytes.data());
    putU32(m_bytes.data() + kSampleCountOffset, sampleBytes);
    if (sampleBytes > 0 && samples)
        std::memcpy(m_bytes.data() + kSampleOffset, samples, sampleBytes);
}

CaptureBlock::CaptureBlock(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes))
{
    if (m_bytes.size() < kSampleOffset)
        m_bytes.resize(kSampleOffset, 0);
}

} // namespace skywell

#include "recording/wavwriter.h"

#include "recording/pcmframes.h"
#include "recording/rateconverter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace skywell
{

namespace
{
constexpr std::uint32_t kCdRate = 44100;
// Stereo 16-bit frames that fit in the work buffer.
constexpr std::size_t kWorkFrames = WavWriter::kWorkBufferBytes / 4;

// The limit in whole frames of the format, and even: RIFF pads an odd
// chunk with a byte the sizes would then have to count.
std::uint32_t limitFor(const WaveFormat &format, std::uint32_t requested)
{
    const std::uint32_t align = std::max<std::uint32_t>(format.blockAlign, 1);
    std::uint32_t limit = std::min(requested, WavWriter::kMaxDataBytes) / align * align;
    if (limit % 2 != 0)
        limit = limit >= align ? limit - align : 0;
    return limit;
}
} // namespace

std::vector<std::uint8_t> wavHeader(const WaveFormat &format, std::uint32_t dataBytes)
{
    std::vector<std::uint8_t> h(WavWriter::kHeaderBytes, 0);
    std::memcpy(h.data(), "RIFF", 4);
    putU32(h.data() + 4, dataBytes + 36);
    std::memcpy(h.data() + 8, "WAVE", 4);
    std::memcpy(h.data() + 12, "fmt ", 4);
    putU32(h.data() + 16, 16);
    putU16(h.data() + 20, WaveFormat::kPcm);
    putU16(h.data() + 22, format.channels);
    putU32(h.data() + 24, format.samplesPerSec);
    putU32(h.data() + 28, format.avgBytesPerSec);
    putU16(h.data() + 32, format.blockAlign);
    putU16(h.data() + 34, format.bitsPerSample);
    std::memcpy(h.data() + 36, "data", 4);
    putU32(h.data() + 40, dataBytes);
    return h;
}

WavWriter::WavWriter(std::uint32_t dataLimit) : m_requestedLimit(dataLimit)
{
}

WavWriter::~WavWriter() = default;

WriteOutcome WavWriter::open(const QString &path, const CaptureBlock &block, bool convert)
{
    m_workBuffer.assign(kWorkBufferBytes, 0);
    m_dataBytes = 0;
    m_sourceBytes = 0;
    m_writeFailed = false;
    m_limitReached = false;
    m_errors.clear();
    m_converter.reset();
    m_source = block.format();
    m_output = m_source;
    const bool convertible = (m_source.channels == 1 || m_source.channels == 2) &&
                             (m_source.bitsPerSample == 8 || m_source.bitsPerSample == 16);
    m_convert = convert && convertible;
    if (m_convert) {
        if (m_source.samplesPerSec != kCdRate)
            m_converter = std::make_unique<RateConverter>(m_source.samplesPerSec, m_source.channels);
        // Already CD format: the samples pass through unchanged.
        else if (m_source.channels == 2 && m_source.bitsPerSample == 16)
            m_convert = false;
        m_output = WaveFormat::pcm(kCdRate, 2, 16);
    } else {
        m_output.formatTag = WaveFormat::kPcm;
        m_output.bitsPerSample = std::max<std::uint16_t>(m_output.bitsPerSample, 8);
    }

    m_limit = limitFor(m_output, m_requestedLimit);

    if (!m_file.create(path)) {
        m_workBuffer.clear();
        m_converter.reset();
        return m_file.outcome(false);
    }
    const std::vector<std::uint8_t> header = wavHeader(m_output, 0);
    m_headerOwed = false;
    if (!m_file.writeAll(header.data(), header.size())) {
        // A full disk may have room again for the samples; the header
        // goes into its place with the first of them.
        const int error = m_file.lastError();
        if ((error == ENOSPC || error == EDQUOT) && m_file.skipTo(kHeaderBytes)) {
            m_headerOwed = true;
            return {};
        }
        m_errors.append(QStringLiteral("Can not write WAV header."));
        m_file.close();
        return m_file.outcome(false);
    }
    return {};
}

std::uint64_t WavWriter::projectedBytes(std::uint64_t moreSourceBytes) const
{
    if (!m_convert)
        return std::uint64_t(m_dataBytes) + moreSourceBytes;
    const std::uint64_t frameBytes = std::uint64_t(m_source.channels) * (m_source.bitsPerSample / 8);
    std::uint64_t frames = (m_sourceBytes + moreSourceBytes) / frameBytes;
    if (m_converter) {
        // What the converter gives out in all, flush included, is the input
        // at the new rate; the reserve covers its rounding.
        const std::uint64_t rate = m_source.samplesPerSec;
        frames = (frames * kCdRate + rate - 1) / rate + kConverterReserveFrames;
    }
    return std::max<std::uint64_t>(m_dataBytes, frames * 4);
}

bool WavWriter::wouldExceedLimit(const CaptureBlock &block) const
{
    return m_file.isOpen() && projectedBytes(block.sampleBytes()) > m_limit;
}

std::uint64_t WavWriter::bytesLeft() const
{
    const std::uint64_t projected = projectedBytes(0);
    return projected < m_limit ? m_limit - projected : 0;
}

void WavWriter::refuseAtLimit()
{
    if (!m_limitReached)
        m_errors.append(QStringLiteral("WAV file size limit reached (4 GB): the rest of this track was not saved."));
    m_limitReached = true;
}

bool WavWriter::writeSamples(const void *data, std::size_t bytes)
{
    // The last guard of the header's sizes; blocks are checked before they
    // reach the converter, so this refuses nothing in practice.
    if (std::uint64_t(m_dataBytes) + bytes > m_limit) {
        refuseAtLimit();
        return false;
    }
    if (!m_file.writeAll(data, bytes)) {
        // One message per file: a full disk would otherwise raise one for
        // every block that follows.
        if (!m_writeFailed)
            m_errors.append(QStringLiteral("Error in writing to WAV file."));
        m_writeFailed = true;
        return false;
    }
    m_dataBytes += std::uint32_t(bytes);
    if (m_headerOwed) {
        // Its page now holds samples: the header takes no more room.
        const std::vector<std::uint8_t> header = wavHeader(m_output, 0);
        m_headerOwed = !m_file.writeAt(0, header.data(), header.size());
    }
    return true;
}

bool WavWriter::drainConverter()
{
    auto *stereo = reinterpret_cast<std::int16_t *>(m_workBuffer.data());
    const int channels = m_source.channels;
    m_received.resize(kWorkFrames * std::size_t(channels));
    for (;;) {
        const std::size_t frames = m_converter->receive(m_received.data(), kWorkFrames);
        if (frames == 0)
            return true;
        toStereo(m_received.data(), frames, channels, stereo);
        if (!writeSamples(stereo, frames * 4))
            return false;
    }
}

bool WavWriter::writeConverted(const std::uint8_t *samples, std::size_t bytes)
{
    const int channels = m_source.channels;
    const std::size_t frameBytes = std::size_t(channels) * (m_source.bitsPerSample / 8);
    // Pieces no larger than the work buffer holds after conversion to stereo.
    const std::size_t pieceBytes = kWorkFrames * frameBytes;
    for (std::size_t at = 0; at < bytes; at += pieceBytes) {
        const std::size_t n = std::min(pieceBytes, bytes - at);
        const std::size_t frames = toInt16Frames(samples + at, n, m_source.bitsPerSample, channels, m_values);
        if (m_converter) {
            m_converter->put(m_values.data(), frames);
            if (!drainConverter())
                return false;
        } else {
            auto *stereo = reinterpret_cast<std::int16_t *>(m_workBuffer.data());
            toStereo(m_values.data(), frames, channels, stereo);
            if (!writeSamples(stereo, frames * 4))
                return false;
        }
    }
    return true;
}

WriteOutcome WavWriter::write(const CaptureBlock &block)
{
    if (!m_file.isOpen() || !block.isConsistent())
        return m_file.outcome(false);
    if (wouldExceedLimit(block)) {
        refuseAtLimit();
        return m_file.outcome(false);
    }
    m_sourceBytes += block.sampleBytes();
    if (!m_convert)
        return m_file.outcome(writeSamples(block.samples(), block.sampleBytes()));
    return m_file.outcome(writeConverted(block.samples(), block.sampleBytes()));
}

std::uint32_t WavWriter::close()
{
    if (m_converter && m_file.isOpen()) {
        m_converter->flush();
        drainConverter();
    }
    std::uint32_t result = m_dataBytes;
    if (m_file.isOpen()) {
        std::uint8_t size[4];
        putU32(size, m_dataBytes + 36);
        bool ok = m_file.writeAt(4, size, 4);
        putU32(size, m_dataBytes);
        ok = m_file.writeAt(40, size, 4) && ok;
        if (m_headerOwed) {
            const std::vector<std::uint8_t> header = wavHeader(m_output, m_dataBytes);
            ok = m_file.writeAt(0, header.data(), header.size());
        }
        ok = m_file.close() && ok;
        if (!ok) {
            m_errors.append(QStringLiteral("Could not save WAV file."));
            m_writeFailed = true;
            result = 0;
        }
    }
    m_workBuffer.clear();
    m_workBuffer.shrink_to_fit();
    m_converter.reset();
    return result;
}

} // namespace skywell

#include "recording/mp3writer.h"

#include "recording/mp3encoder.h"
#include "recording/pcmframes.h"

#include <QDateTime>
#include <algorithm>

namespace skywell
{

Mp3Writer::Mp3Writer() = default;

Mp3Writer::~Mp3Writer() = default;

WriteOutcome Mp3Writer::open(const QString &path, const CaptureBlock &block, int quality)
{
    m_encoder.reset();
    m_count = 0;
    m_writeFailed = false;
    m_startLost = false;
    m_errors.clear();
    m_audioStart = 0;
    m_openedAt = QDateTime::currentSecsSinceEpoch();
    if (!m_file.create(path)) {
        m_errors.append(QStringLiteral("Error opening file for MP3 output file."));
        return m_file.outcome(false);
    }
    m_source = block.format();
    const bool usable = (m_source.channels == 1 || m_source.channels == 2) &&
                        (m_source.bitsPerSample == 8 || m_source.bitsPerSample == 16) && m_source.samplesPerSec > 0;
    // 8-bit samples are widened to 16 bits on the way in, so the encoder
    // gets the source's own rate.
    if (usable)
        m_encoder = Mp3Encoder::create(mp3ConfigFor(quality, m_source.samplesPerSec, m_source.channels));
    if (!m_encoder) {
        m_errors.append(QStringLiteral("Error opening MP3 encoding stream."));
        m_file.close();
        return m_file.outcome(false);
    }
    const std::size_t sampleBytes = block.isConsistent() ? block.sampleBytes() : 0;
    m_outBuffer.assign(std::max<std::size_t>(6 * sampleBytes, kMinOutBuffer), 0);
    // The audio's own writes report a lasting problem with the disk.
    m_audioStart = reserveTrackTagRoom(m_file);
    return {};
}

bool Mp3Writer::writeOut(const std::uint8_t *data, std::size_t bytes)
{
    if (bytes == 0)
        return true;
    if (!m_file.writeAll(data, bytes)) {
        // The encoder's first bytes hold the frame the Info header replaces.
        if (m_count == 0)
            m_startLost = true;
        noteWriteError();
        return false;
    }
    m_count += std::uint32_t(bytes);
    return true;
}

void Mp3Writer::noteWriteError()
{
    // One message per file, not one per block of a full disk.
    if (!m_writeFailed)
        m_errors.append(QStringLiteral("MP3 output file write error."));
    m_writeFailed = true;
}

void Mp3Writer::abandon()
{
    m_encoder.reset();
    m_outBuffer.clear();
}

WriteOutcome Mp3Writer::write(const CaptureBlock &block)
{
    if (!m_encoder || !m_file.isOpen() || !block.isConsistent())
        return m_file.outcome(false);
    const int channels = m_source.channels;
    const std::size_t frames =
        toInt16Frames(block.samples(), block.sampleBytes(), m_source.bitsPerSample, channels, m_values);
    // Pieces small enough for the output buffer.
    const std::size_t pieceFrames = (m_outBuffer.size() - 7200) * 4 / 5;
    bool ok = true;
    for (std::size_t at = 0; at < frames; at += pieceFrames) {
        const std::size_t n = std::min(pieceFrames, frames - at);
        const int bytes =
            m_encoder->encode(m_values.data() + at * std::size_t(channels), n, m_outBuffer.data(), m_outBuffer.size());
        if (bytes < 0) {
            abandon();
            m_errors.append(QStringLiteral("The MP3 encoder (libmp3lame) failed to encode."));
            return m_file.outcome(false);
        }
        ok = writeOut(m_outBuffer.data(), std::size_t(bytes)) && ok;
    }
    return m_file.outcome(ok);
}

std::uint32_t Mp3Writer::close(const TagFields &tags)
{
    if (!m_encoder) {
        // Never opened, or the encoder failed: nothing more to finish.
        m_file.close();
        return 0;
    }
    const int last = m_encoder->flush(m_outBuffer.data(), m_outBuffer.size());
    if (last < 0) {
        abandon();
        m_file.close();
        m_errors.append(QStringLiteral("The MP3 encoder (libmp3lame) failed to finish the file."));
        return 0;
    }
    // After a failed write the rest is still written: the audio that did
    // reach the file stays playable and gets its Info header and tag.
    writeOut(m_outBuffer.data(), std::size_t(last));
    const std::vector<std::uint8_t> info = m_encoder->infoFrame();
    // After lost frames the encoder's header would claim a length the file
    // does not have: players then measure the file themselves.
    if (!info.empty() && !m_startLost && !m_writeFailed &&
        !m_file.writeAt(std::uint64_t(m_audioStart), info.data(), info.size()))
        noteWriteError();
    if (!writeTrackTags(m_file, tags, m_audioStart, m_openedAt))
        noteWriteError();
    const bool closed = m_file.close();
    abandon();
    if (!closed) {
        // Gone with its folder, or the system lost what it had taken.
        noteWriteError();
        return 0;
    }
    return m_count;
}

} // namespace skywell

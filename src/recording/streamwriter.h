#pragma once

#include "recording/captureblock.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

namespace skywell
{

class Mp3Writer;
class PacketWriter;
class WavWriter;
struct TagFields;

// The writer of one stream's temporary file: the packet writer for blocks
// that carry a stream's packets as sent, the MP3 writer for an MP3
// recording, otherwise the WAV writer with conversion to CD format.
class StreamWriter final
{
public:
    // quality 0, 1, 2 for MP3 (mp3QualityForFlags), -1 for WAV. wavLimit
    // lowers the WAV size limit (tests).
    StreamWriter(int mp3Quality, std::uint32_t wavLimit);
    ~StreamWriter();
    StreamWriter(const StreamWriter &) = delete;
    StreamWriter &operator=(const StreamWriter &) = delete;

    // False when the file could not be created; errno says why.
    bool open(const QString &path, const CaptureBlock &block);
    bool write(const CaptureBlock &block);
    // Whether this block would take a WAV file past its size limit.
    bool wouldExceedLimit(const CaptureBlock &block) const;
    // Closes with the tag fields (MP3 only). False when the file is lost or
    // some audio never reached it.
    bool close(const TagFields &tags);

    // What went wrong since the last call, one text a failure.
    QStringList takeErrors();

    bool isOpen() const;
    bool isMp3() const { return m_mp3 != nullptr && !m_packets; }
    // The file keeps a stream's packets as sent.
    bool keepsPackets() const { return m_packets != nullptr; }
    // For tests that replace the file underneath (disk full).
    int fileDescriptor() const;
    // The system error of the last failed write (errno), 0 when none.
    int lastError() const;
    // Bytes the writer has put into the file so far.
    std::uint64_t bytesWritten() const;

private:
    std::unique_ptr<WavWriter> m_wav;
    std::unique_ptr<Mp3Writer> m_mp3;
    std::unique_ptr<PacketWriter> m_packets;
    int m_quality;
};

} // namespace skywell

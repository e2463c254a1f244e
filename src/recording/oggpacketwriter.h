#pragma once

#include "recording/filepacketwriter.h"

#include <ogg/ogg.h>

#include <deque>
#include <vector>

namespace skywell
{

// Vorbis or Opus packets as a complete Ogg stream of their own: a fresh
// random serial, the codec's header packets first (the identification
// header alone on the first page, the comment and setup headers next, the
// audio from a new page on), page numbers consecutive, granule positions
// counted from the packets' samples from 0, the last page marked as the
// end of the stream. The comment packet is written at open with its room
// padded to a fixed size and rewritten in place at close with the tags:
// same length, same pages, new checksums. Pages end at packet boundaries,
// so a failed page write loses the packets on that page only; the next
// page takes its number and the granule counts only what is in the file.
// An empty packet, or a Vorbis header among the audio, is left out and
// counted like the frame writer's broken frames.
class OggPacketWriter final : public FilePacketWriter
{
public:
    // Bytes of the comment packet, tags and padding.
    static constexpr qsizetype kCommentRoom = 4096;
    // A page is written once this much audio is waiting.
    static constexpr qsizetype kPageBytes = 4096;

    OggPacketWriter();
    ~OggPacketWriter() override;
    OggPacketWriter(const OggPacketWriter &) = delete;
    OggPacketWriter &operator=(const OggPacketWriter &) = delete;

    WriteOutcome open(const QString &path, const PacketFormat &format) override;
    WriteOutcome write(const StreamPacket &packet) override;
    bool close(const TagFields &tags) override;

private:
    struct Page {
        std::uint64_t offset = 0;
        QByteArray bytes;
    };

    bool checkHeaders(const PacketFormat &format);
    bool writeHeaders(const PacketFormat &format);
    void addPacket(const QByteArray &data, std::int64_t samples);
    // Writes what libogg holds as pages; the last one ends the stream when asked.
    bool flushPages(bool endOfStream);
    bool writePage(QByteArray bytes, int packets, bool endOfStream);
    bool rewritePage(const Page &page);
    void endStream();

    ogg_stream_state m_stream{};
    bool m_streamOpen = false;
    QByteArray m_commentMagic;
    QByteArray m_vendor;
    // The pages that hold the comment packet (and for Vorbis the setup).
    std::vector<Page> m_commentPages;
    Page m_lastPage;
    bool m_headersWritten = false;
    bool m_endWritten = false;
    // Samples of the packets given to libogg, not yet on a page.
    std::deque<std::int64_t> m_waitingSamples;
    qsizetype m_waitingBytes = 0;
    int m_waitingSegments = 0;
    std::int64_t m_packetNumber = 0;
    std::int64_t m_granule = 0;
    std::uint32_t m_sequence = 0;
    std::uint64_t m_end = 0;
    bool m_firstAudio = true;
};

} // namespace skywell

#include "recording/oggpacketwriter.h"

#include "core/textcut.h"
#include "recording/id3tag.h"
#include "recording/xiphcomment.h"

#include <QDateTime>
#include <QFile>
#include <QRandomGenerator>

namespace skywell
{

namespace
{

const QByteArray kVorbisIdent("\x01vorbis", 7);
const QByteArray kVorbisComment("\x03vorbis", 7);
const QByteArray kVorbisSetup("\x05vorbis", 7);
const QByteArray kOpusHead("OpusHead");
const QByteArray kOpusTags("OpusTags");
// The vendor when the station gives none; longer ones are cut.
const QByteArray kDefaultVendor("Skywell");
constexpr qsizetype kMaxVendorBytes = 256;

constexpr int kHeaderTypeByte = 5;
constexpr int kEndOfStreamFlag = 0x04;
constexpr int kGranuleByte = 6;
constexpr int kSequenceByte = 18;
constexpr int kSegmentCountByte = 26;
constexpr int kPageHeaderBytes = 27;
// libogg puts at most 255 lacing values on a page: flush well before.
constexpr int kMaxWaitingSegments = 200;

void putLe(QByteArray &bytes, int at, std::uint64_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
}

qsizetype headerBytes(const QByteArray &page)
{
    return kPageHeaderBytes + std::uint8_t(page[kSegmentCountByte]);
}

void setChecksum(QByteArray &page)
{
    const qsizetype header = headerBytes(page);
    ogg_page og{};
    og.header = reinterpret_cast<unsigned char *>(page.data());
    og.header_len = long(header);
    og.body = reinterpret_cast<unsigned char *>(page.data()) + header;
    og.body_len = long(page.size() - header);
    ogg_page_checksum_set(&og);
}

bool audioPacketLooksRight(PacketCodec codec, const QByteArray &data)
{
    // A Vorbis audio packet starts with a clear packet-type bit; a
    // header packet here would reset a decoder.
    if (data.isEmpty())
        return false;
    return codec == PacketCodec::Opus || (std::uint8_t(data[0]) & 1) == 0;
}

} // namespace

OggPacketWriter::OggPacketWriter() = default;

OggPacketWriter::~OggPacketWriter()
{
    if (m_streamOpen)
        ogg_stream_clear(&m_stream);
}

bool OggPacketWriter::checkHeaders(const PacketFormat &format)
{
    const auto &h = format.headers;
    if (format.codec == PacketCodec::Vorbis)
        return h.size() >= 3 && h[0].startsWith(kVorbisIdent) && h[0].size() >= 30 && h[1].startsWith(kVorbisComment) &&
               h[2].startsWith(kVorbisSetup);
    return !h.empty() && h[0].startsWith(kOpusHead) && h[0].size() >= 19;
}

WriteOutcome OggPacketWriter::open(const QString &path, const PacketFormat &format)
{
    startFile(format.codec,
              format.codec == PacketCodec::Vorbis ? QStringLiteral("Ogg Vorbis") : QStringLiteral("Ogg Opus"));
    if (m_streamOpen)
        ogg_stream_clear(&m_stream);
    m_streamOpen = false;
    m_commentPages.clear();
    m_lastPage = {};
    m_headersWritten = false;
    m_endWritten = false;
    m_waitingSamples.clear();
    m_waitingBytes = 0;
    m_waitingSegments = 0;
    m_packetNumber = 0;
    m_granule = 0;
    m_sequence = 0;
    m_end = 0;
    m_firstAudio = true;
    if (m_codec != PacketCodec::Vorbis && m_codec != PacketCodec::Opus) {
        m_errors.append(QStringLiteral("Packets of this codec cannot be written into Ogg."));
        return m_file.outcome(false);
    }
    if (!checkHeaders(format)) {
        m_errors.append(QStringLiteral("The %1 stream's header packets are missing or broken.").arg(m_kindName));
        return m_file.outcome(false);
    }
    if (!createFile(path))
        return m_file.outcome(false);
    // A serial of its own, so that files joined one after another are
    // still told apart.
    ogg_stream_init(&m_stream, int(QRandomGenerator::global()->generate()));
    m_streamOpen = true;
    if (!writeHeaders(format)) {
        // Without its headers the file would not play at all.
        noteWriteError();
        m_file.close();
        QFile::remove(path);
        ogg_stream_clear(&m_stream);
        m_streamOpen = false;
        return m_file.outcome(false);
    }
    return {};
}

bool OggPacketWriter::writeHeaders(const PacketFormat &format)
{
    const bool vorbis = m_codec == PacketCodec::Vorbis;
    m_commentMagic = vorbis ? kVorbisComment : kOpusTags;
    const QByteArray stationComment = vorbis ? format.headers[1] : format.headers.size() > 1 ? format.headers[1] : "";
    m_vendor = cutUtf8(xiphCommentVendor(stationComment, m_commentMagic), kMaxVendorBytes);
    if (m_vendor.isEmpty())
        m_vendor = kDefaultVendor;

    // The identification header alone on the first page.
    addPacket(format.headers[0], 0);
    if (!flushPages(false))
        return false;
    addPacket(xiphCommentPacket(m_commentMagic, m_vendor, {}, vorbis, kCommentRoom), 0);
    if (vorbis)
        addPacket(format.headers[2], 0);
    const std::size_t firstCommentPage = std::size_t(m_sequence);
    ogg_page og;
    while (ogg_stream_flush(&m_stream, &og) != 0) {
        QByteArray bytes(reinterpret_cast<const char *>(og.header), og.header_len);
        bytes.append(reinterpret_cast<const char *>(og.body), og.body_len);
        if (!writePage(bytes, ogg_page_packets(&og), false))
            return false;
        m_commentPages.push_back(m_lastPage);
    }
    m_waitingSamples.clear();
    m_waitingBytes = 0;
    m_waitingSegments = 0;
    m_headersWritten = true;
    return !m_commentPages.empty() && firstCommentPage == 1;
}

void OggPacketWriter::addPacket(const QByteArray &data, std::int64_t samples)
{
    ogg_packet op{};
    op.packet = reinterpret_cast<unsigned char *>(const_cast<char *>(data.constData()));
    op.bytes = long(data.size());
    op.b_o_s = m_packetNumber == 0 ? 1 : 0;
    op.granulepos = 0;
    op.packetno = m_packetNumber++;
    ogg_stream_packetin(&m_stream, &op);
    m_waitingSamples.push_back(samples);
    m_waitingBytes += data.size();
    m_waitingSegments += int(data.size() / 255) + 1;
}

WriteOutcome OggPacketWriter::write(const StreamPacket &packet)
{
    if (!m_file.isOpen())
        return m_file.outcome(false);
    if (!audioPacketLooksRight(m_codec, packet.data)) {
        // Nothing failed: the file goes on without it.
        ++m_broken;
        return {};
    }
    // A Vorbis packet decodes only together with the one before it: the
    // first in the file gives no samples.
    addPacket(packet.data, m_codec == PacketCodec::Vorbis && m_firstAudio ? 0 : packet.samples);
    m_firstAudio = false;
    if (m_waitingBytes >= kPageBytes || m_waitingSegments >= kMaxWaitingSegments)
        return m_file.outcome(flushPages(false));
    return {};
}

bool OggPacketWriter::flushPages(bool endOfStream)
{
    std::vector<std::pair<QByteArray, int>> pages;
    ogg_page og;
    while (ogg_stream_flush(&m_stream, &og) != 0) {
        QByteArray bytes(reinterpret_cast<const char *>(og.header), og.header_len);
        bytes.append(reinterpret_cast<const char *>(og.body), og.body_len);
        pages.emplace_back(std::move(bytes), ogg_page_packets(&og));
    }
    m_waitingBytes = 0;
    m_waitingSegments = 0;
    bool ok = true;
    for (std::size_t i = 0; i < pages.size(); ++i)
        ok = writePage(std::move(pages[i].first), pages[i].second, endOfStream && i + 1 == pages.size()) && ok;
    return ok;
}

bool OggPacketWriter::writePage(QByteArray bytes, int packets, bool endOfStream)
{
    std::int64_t samples = 0;
    for (int i = 0; i < packets && !m_waitingSamples.empty(); ++i) {
        samples += m_waitingSamples.front();
        m_waitingSamples.pop_front();
    }
    // Numbered and timed by what is in the file: a page lost to a failed
    // write leaves no gap in either.
    const bool audio = m_headersWritten;
    const std::int64_t granule = !audio ? 0 : packets > 0 ? m_granule + samples : -1;
    putLe(bytes, kGranuleByte, std::uint64_t(granule), 8);
    putLe(bytes, kSequenceByte, m_sequence, 4);
    if (endOfStream)
        bytes[kHeaderTypeByte] = char(bytes[kHeaderTypeByte] | kEndOfStreamFlag);
    setChecksum(bytes);
    if (!m_file.writeAll(bytes.constData(), std::size_t(bytes.size()))) {
        noteWriteError();
        return false;
    }
    if (audio) {
        if (packets > 0)
            m_granule = granule;
        m_count += std::uint64_t(bytes.size() - headerBytes(bytes));
    }
    m_lastPage = {m_end, std::move(bytes)};
    m_end += std::uint64_t(m_lastPage.bytes.size());
    ++m_sequence;
    m_endWritten = endOfStream;
    return true;
}

bool OggPacketWriter::rewritePage(const Page &page)
{
    if (m_file.writeAt(page.offset, page.bytes.constData(), std::size_t(page.bytes.size())))
        return true;
    noteWriteError();
    return false;
}

bool OggPacketWriter::close(const TagFields &tags)
{
    if (!m_file.isOpen())
        return false;
    reportBrokenPackets();
    flushPages(true);

    // The tags into the comment packet's room: the same bytes on the same
    // pages, so only the pages' checksums change.
    TagFields fields = tags;
    if (fields.recorded == 0)
        fields.recorded = m_openedAt;
    const QByteArray comment =
        xiphCommentPacket(m_commentMagic, m_vendor, fields, m_codec == PacketCodec::Vorbis, kCommentRoom);
    qsizetype done = 0;
    for (Page &page : m_commentPages) {
        const qsizetype header = headerBytes(page.bytes);
        const qsizetype n = std::min(comment.size() - done, page.bytes.size() - header);
        page.bytes.replace(header, n, comment.constData() + done, n);
        done += n;
        if (page.offset == m_lastPage.offset && !m_endWritten) {
            // No audio at all: the headers end the stream.
            page.bytes[kHeaderTypeByte] = char(page.bytes[kHeaderTypeByte] | kEndOfStreamFlag);
            m_endWritten = true;
        }
        setChecksum(page.bytes);
        rewritePage(page);
    }
    if (!m_endWritten) {
        // The last page went out before close, or the final write failed:
        // the last page in the file ends the stream.
        m_lastPage.bytes[kHeaderTypeByte] = char(m_lastPage.bytes[kHeaderTypeByte] | kEndOfStreamFlag);
        setChecksum(m_lastPage.bytes);
        rewritePage(m_lastPage);
    }
    ogg_stream_clear(&m_stream);
    m_streamOpen = false;
    return closeFile();
}

} // namespace skywell

#include "recording/oggtrack.h"

#include "core/fdwrite.h"
#include "core/regularfile.h"
#include "recording/trackfileio.h"

#include <ogg/ogg.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace skywell
{

namespace
{

constexpr std::size_t kPageReadBytes = 1 << 16;
constexpr int kEosFlag = 0x04;

// One logical stream of the file, from its first page.
struct OggLink {
    long serial = 0;
    PartialTrackKind kind = PartialTrackKind::Unknown;
    std::uint32_t rate = 0;
    std::uint32_t preSkip = 0;
    std::int64_t lastGranule = 0;
};

// The whole pages of a file, as far as they make sense.
struct OggWalk {
    std::vector<OggLink> links;
    bool anyPage = false;
    bool unreadable = false;
    // Just past the last whole page that ends a packet, and that page.
    std::uint64_t end = 0;
    std::uint64_t lastPage = 0;
    std::size_t lastPageBytes = 0;
    bool lastEos = false;
    // Body bytes of the pages that carry sound.
    std::uint64_t audioBytes = 0;

    PartialTrackKind kind() const { return links.empty() ? PartialTrackKind::Unknown : links.front().kind; }
    bool sameCodec() const
    {
        return std::all_of(links.begin(), links.end(), [&](const OggLink &l) { return l.kind == kind(); });
    }
    double seconds() const
    {
        double total = 0;
        for (const OggLink &link : links)
            if (link.rate > 0 && link.lastGranule > std::int64_t(link.preSkip))
                total += double(link.lastGranule - link.preSkip) / link.rate;
        return total;
    }
};

std::uint32_t littleEndian(const unsigned char *p, int bytes)
{
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | p[i];
    return value;
}

// The codec and rate of a stream, from its first packet (the whole body
// of its first page).
OggLink identify(const ogg_page &page)
{
    OggLink link;
    link.serial = ogg_page_serialno(&page);
    const unsigned char *body = page.body;
    if (page.body_len >= 30 && body[0] == 1 && std::memcmp(body + 1, "vorbis", 6) == 0) {
        link.kind = PartialTrackKind::Ogg;
        link.rate = littleEndian(body + 12, 4);
    } else if (page.body_len >= 19 && std::memcmp(body, "OpusHead", 8) == 0) {
        link.kind = PartialTrackKind::Opus;
        link.rate = 48000;
        link.preSkip = littleEndian(body + 10, 2);
    }
    return link;
}

OggWalk walkOggPages(int fd, std::uint64_t size)
{
    OggWalk walk;
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    std::uint64_t readTo = 0, at = 0;
    while (readTo < size) {
        const std::vector<std::uint8_t> data =
            readBytesAt(fd, readTo, std::size_t(std::min<std::uint64_t>(kPageReadBytes, size - readTo)));
        if (data.empty()) {
            walk.unreadable = true;
            break;
        }
        char *buffer = ogg_sync_buffer(&sync, long(data.size()));
        std::memcpy(buffer, data.data(), data.size());
        ogg_sync_wrote(&sync, long(data.size()));
        readTo += data.size();
        ogg_page page;
        for (long n; (n = ogg_sync_pageseek(&sync, &page)) != 0;) {
            // Bytes that are no page (a CRC that fails, say) are passed over.
            if (n < 0) {
                at += std::uint64_t(-n);
                continue;
            }
            const std::uint64_t pageStart = at;
            at += std::uint64_t(n);
            walk.anyPage = true;
            const long serial = ogg_page_serialno(&page);
            if (ogg_page_bos(&page))
                walk.links.push_back(identify(page));
            const auto link = std::find_if(walk.links.rbegin(), walk.links.rend(),
                                           [&](const OggLink &l) { return l.serial == serial; });
            if (link == walk.links.rend())
                continue;
            const std::int64_t granule = ogg_page_granulepos(&page);
            // A page where no packet ends holds nothing a player can use
            // unless the next page follows.
            if (granule == -1)
                continue;
            if (granule > 0) {
                link->lastGranule = granule;
                walk.audioBytes += std::uint64_t(page.body_len);
            }
            walk.end = at;
            walk.lastPage = pageStart;
            walk.lastPageBytes = std::size_t(n);
            walk.lastEos = ogg_page_eos(&page) != 0;
        }
    }
    ogg_sync_clear(&sync);
    return walk;
}

// Flags the page at offset as the last of its stream, its CRC made anew.
int markStreamEnd(int fd, std::uint64_t offset, std::size_t bytes)
{
    std::vector<std::uint8_t> data = readBytesAt(fd, offset, bytes);
    if (data.size() != bytes || bytes < 27)
        return EIO;
    ogg_page page;
    page.header = data.data();
    page.header_len = 27 + data[26];
    page.body = data.data() + page.header_len;
    page.body_len = long(bytes) - page.header_len;
    data[5] |= kEosFlag;
    ogg_page_checksum_set(&page);
    return writeFully(fd, data.data(), std::size_t(page.header_len), offset);
}

} // namespace

PartialTrack completeOggTrack(int fd, std::uint64_t size)
{
    PartialTrack track;
    const OggWalk walk = walkOggPages(fd, size);
    if (walk.unreadable) {
        track.problem = systemErrorText(EIO);
        return track;
    }
    // Cut off inside its first page: nothing of the recording reached it.
    if (!walk.anyPage) {
        track.kind = PartialTrackKind::Empty;
        return track;
    }
    if (walk.kind() == PartialTrackKind::Unknown || !walk.sameCodec())
        return track;
    track.kind = walk.audioBytes == 0 ? PartialTrackKind::Empty : walk.kind();
    track.audioBytes = walk.audioBytes;
    track.seconds = walk.seconds();
    if (track.kind == PartialTrackKind::Empty)
        return track;
    if (walk.end < size && ::ftruncate(fd, off_t(walk.end)) != 0) {
        track.problem = systemErrorText(errno);
        return track;
    }
    if (!walk.lastEos)
        if (const int error = markStreamEnd(fd, walk.lastPage, walk.lastPageBytes); error != 0)
            track.problem = systemErrorText(error);
    return track;
}

bool appendOggTrack(int from, std::uint64_t fromSize, int to, std::uint64_t toSize)
{
    const OggWalk source = walkOggPages(from, fromSize);
    const OggWalk target = walkOggPages(to, toSize);
    if (source.unreadable || target.unreadable || source.audioBytes == 0 || target.end != toSize ||
        source.kind() == PartialTrackKind::Unknown || source.kind() != target.kind() || !source.sameCodec() ||
        !target.sameCodec())
        return false;
    // Two links of one number would be read as one stream.
    for (const OggLink &link : source.links)
        if (std::any_of(target.links.begin(), target.links.end(),
                        [&](const OggLink &other) { return other.serial == link.serial; }))
            return false;
    if (!copyBytes(from, 0, source.end, to, toSize)) {
        (void)::ftruncate(to, off_t(toSize));
        return false;
    }
    // A stream ends before the next begins.
    if ((!target.lastEos && markStreamEnd(to, target.lastPage, target.lastPageBytes) != 0) ||
        (!source.lastEos && markStreamEnd(to, toSize + source.lastPage, source.lastPageBytes) != 0)) {
        (void)::ftruncate(to, off_t(toSize));
        return false;
    }
    return true;
}

} // namespace skywell

#include "recording/partialtrack.h"

#include "core/fdwrite.h"
#include "core/regularfile.h"
#include "core/uniquefd.h"
#include "postprocess/mp3header.h"
#include "recording/adtsheader.h"
#include "recording/mp3writer.h"
#include "recording/oggtrack.h"
#include "recording/pcmframes.h"
#include "recording/trackfileio.h"
#include "recording/wavwriter.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace skywell
{

namespace
{

// Our WAV header is 44 bytes; a file whose chunks before the data run
// longer than this is not one of ours.
constexpr std::size_t kHeadBytes = 4096;
constexpr std::size_t kFrameReadBytes = 1 << 20;

// The first frame the encoder writes only holds room for the Info header
// that the close puts there: zeros after the frame header, or the header
// itself when the track was closed.
bool isInfoFrame(const std::vector<std::uint8_t> &head, std::uint32_t frameBytes)
{
    if (head.size() < frameBytes)
        return false;
    // Past the frame header and its CRC, if it has one.
    const bool crc = (head[1] & 1) == 0;
    const auto begin = head.begin() + (crc ? 6 : 4), end = head.begin() + frameBytes;
    if (std::all_of(begin, end, [](std::uint8_t b) { return b == 0; }))
        return true;
    for (const char *tag : {"Info", "Xing"})
        if (std::search(begin, end, tag, tag + 4) != end)
            return true;
    return false;
}

bool truncateTo(int fd, std::uint64_t size, std::uint64_t current, QString &problem)
{
    if (size == current || ::ftruncate(fd, off_t(size)) == 0)
        return true;
    problem = systemErrorText(errno);
    return false;
}

PartialTrack completeWav(int fd, const std::vector<std::uint8_t> &head, std::uint64_t size)
{
    PartialTrack track;
    // Cut short inside its header: nothing of the recording reached it.
    if (size < 12) {
        track.kind = PartialTrackKind::Empty;
        return track;
    }
    if (std::memcmp(head.data() + 8, "WAVE", 4) != 0)
        return track;

    std::uint16_t blockAlign = 0;
    std::uint32_t byteRate = 0;
    std::uint64_t at = 12;
    while (at + 8 <= head.size()) {
        const std::uint32_t chunkBytes = getU32(head.data() + at + 4);
        if (std::memcmp(head.data() + at, "fmt ", 4) == 0) {
            if (chunkBytes < 16 || at + 8 + 16 > head.size() || getU16(head.data() + at + 8) != WaveFormat::kPcm)
                return track;
            blockAlign = std::max<std::uint16_t>(getU16(head.data() + at + 20), 1);
            byteRate = getU32(head.data() + at + 16);
        } else if (std::memcmp(head.data() + at, "data", 4) == 0) {
            if (blockAlign == 0)
                return track;
            const std::uint64_t start = at + 8;
            // Whole frames, an even count (RIFF pads odd chunks), and no
            // more than the 32-bit sizes can state.
            std::uint64_t data = std::min<std::uint64_t>(size - std::min(size, start), WavWriter::kMaxDataBytes);
            data = data / blockAlign * blockAlign;
            if (data % 2 != 0)
                data -= blockAlign;
            track.kind = data == 0 ? PartialTrackKind::Empty : PartialTrackKind::Wav;
            track.audioBytes = data;
            track.seconds = byteRate > 0 ? double(data) / byteRate : 0;
            if (data == 0)
                return track;
            std::uint8_t sizes[4];
            putU32(sizes, std::uint32_t(start + data - 8));
            int error = writeFully(fd, sizes, 4, 4);
            putU32(sizes, std::uint32_t(data));
            if (error == 0)
                error = writeFully(fd, sizes, 4, at + 4);
            if (error != 0)
                track.problem = systemErrorText(error);
            // Past the 32-bit limit nothing is cut: the bytes stay in the file.
            else if (start + data < size && size - start <= WavWriter::kMaxDataBytes)
                truncateTo(fd, start + data, size, track.problem);
            return track;
        }
        at += 8 + std::uint64_t(chunkBytes) + (chunkBytes & 1);
    }
    // The header of our writer was not all there yet.
    if (size <= WavWriter::kHeaderBytes)
        track.kind = PartialTrackKind::Empty;
    return track;
}

// The bytes of the ID3v2 tag at the file's start (our writer's room for
// it), 0 when there is none.
std::uint64_t id3v2Bytes(const std::vector<std::uint8_t> &head)
{
    if (head.size() < 10 || std::memcmp(head.data(), "ID3", 3) != 0 || head[3] == 0xFF || head[4] == 0xFF)
        return 0;
    std::uint64_t bytes = 0;
    for (int i = 6; i < 10; ++i) {
        if (head[std::size_t(i)] & 0x80)
            return 0;
        bytes = bytes << 7 | head[std::size_t(i)];
    }
    // A footer repeats the header after the frames.
    return 10 + bytes + ((head[5] & 0x10) ? 10 : 0);
}

// A frame's length, and for ADTS its samples (MP3 frames of a file all
// hold the same number).
struct FrameSize {
    std::uint32_t bytes = 0;
    std::uint32_t samples = 0;
};

std::size_t frameHeaderBytes(PartialTrackKind kind)
{
    return kind == PartialTrackKind::Aac ? kAdtsHeaderBytes : 4;
}

// The frame of that kind whose header starts at h (frameHeaderBytes readable).
std::optional<FrameSize> frameAt(PartialTrackKind kind, const std::uint8_t *h)
{
    if (kind == PartialTrackKind::Aac) {
        const auto frame = adtsFrame(h);
        return frame ? std::optional(FrameSize{frame->bytes, frame->samples}) : std::nullopt;
    }
    const auto bytes = mp3FrameBytes(h);
    return bytes ? std::optional(FrameSize{*bytes, 0}) : std::nullopt;
}

// Which frames a stream begins with: Mp3, Aac or Unknown.
PartialTrackKind framesKind(const std::vector<std::uint8_t> &head)
{
    if (head.size() >= kAdtsHeaderBytes && adtsFrame(head.data()))
        return PartialTrackKind::Aac;
    if (head.size() >= 4 && mp3FrameBytes(head.data()))
        return PartialTrackKind::Mp3;
    return PartialTrackKind::Unknown;
}

// The whole frames from begin up to size, as far as they make sense.
struct FrameWalk {
    std::uint64_t frames = 0;
    std::uint64_t samples = 0; // ADTS only
    std::uint64_t end = 0;     // just past the last whole frame
    bool unreadable = false;
    bool unrecognised = false; // bytes that are no frame came before size
};

FrameWalk walkFrames(PartialTrackKind kind, int fd, std::uint64_t begin, std::uint64_t size)
{
    const std::size_t headerBytes = frameHeaderBytes(kind);
    FrameWalk walk;
    walk.end = begin;
    std::vector<std::uint8_t> buffer;
    std::uint64_t bufferStart = 0;
    while (walk.end + headerBytes <= size) {
        if (walk.end + headerBytes > bufferStart + buffer.size()) {
            bufferStart = walk.end;
            buffer = readBytesAt(fd, walk.end, kFrameReadBytes);
            if (buffer.size() < headerBytes) {
                walk.unreadable = true;
                return walk;
            }
        }
        const auto frame = frameAt(kind, buffer.data() + (walk.end - bufferStart));
        if (!frame) {
            walk.unrecognised = true;
            return walk;
        }
        if (walk.end + frame->bytes > size)
            break;
        walk.end += frame->bytes;
        walk.samples += frame->samples;
        ++walk.frames;
    }
    return walk;
}

bool isId3v1TagAt(int fd, std::uint64_t at, std::uint64_t size)
{
    const std::vector<std::uint8_t> tag = size == at + 128 ? readBytesAt(fd, at, 3) : std::vector<std::uint8_t>{};
    return tag.size() == 3 && std::memcmp(tag.data(), "TAG", 3) == 0;
}

// MP3 or ADTS frames, after an ID3v2 tag or our writers' room for it.
PartialTrack completeFrames(int fd, const std::vector<std::uint8_t> &fileHead, std::uint64_t size)
{
    PartialTrack track;
    // The audio follows the tag. A file that ends within our writer's
    // empty tag (padding only) was cut off before any audio reached it;
    // anything else that ends there is not ours.
    const std::uint64_t start = id3v2Bytes(fileHead);
    if (start > 0 && start + 4 > size) {
        // The file ends within the room, or at most the first bytes of a frame
        // header follow it.
        const std::size_t room = std::size_t(std::min<std::uint64_t>(start, fileHead.size()));
        if ((start <= fileHead.size() || size <= fileHead.size()) &&
            std::all_of(fileHead.begin() + 10, fileHead.begin() + qsizetype(room),
                        [](std::uint8_t b) { return b == 0; }))
            track.kind = PartialTrackKind::Empty;
        return track;
    }
    const std::vector<std::uint8_t> head = start == 0 ? fileHead : readBytesAt(fd, start, kHeadBytes);
    const PartialTrackKind kind = framesKind(head);
    if (kind == PartialTrackKind::Unknown) {
        // Cut off within the first ADTS header after our room.
        if (start > 0 && head.size() < kAdtsHeaderBytes && head.size() >= 2 && head[0] == 0xFF &&
            (head[1] & 0xF6) == 0xF0)
            track.kind = PartialTrackKind::Empty;
        return track;
    }
    track.kind = kind;
    const bool mp3 = kind == PartialTrackKind::Mp3;
    const std::uint64_t skipped =
        mp3 && isInfoFrame(head, *mp3FrameBytes(head.data())) ? *mp3FrameBytes(head.data()) : 0;

    // Walks the frames to the last whole one.
    const double frameSeconds = mp3 ? mp3FrameSeconds(head.data()) : 0;
    const std::uint32_t rate = mp3 ? 0 : adtsFrame(head.data())->rate;
    const FrameWalk walk = walkFrames(kind, fd, start, size);
    const auto seconds = [&](std::uint64_t frames) {
        return mp3 ? double(frames) * frameSeconds : double(walk.samples) / rate;
    };
    if (walk.unreadable) {
        track.problem = systemErrorText(EIO);
        return track;
    }
    // An MP3 stream that stops making sense before the end (a finished
    // file's tag, say) is kept whole; ADTS frames are cut at a broken
    // header, unless all that follows is the ID3v1 tag of a finished file.
    if (walk.unrecognised && (mp3 || isId3v1TagAt(fd, walk.end, size))) {
        track.audioBytes = (mp3 ? size : walk.end) - start - skipped;
        track.seconds = seconds(walk.frames);
        return track;
    }
    // The Info frame holds no sound.
    const std::uint64_t frames = skipped > 0 && walk.frames > 0 ? walk.frames - 1 : walk.frames;
    track.seconds = seconds(frames);
    const std::uint64_t at = walk.end;
    track.audioBytes = at > start + skipped ? at - start - skipped : 0;
    if (track.audioBytes == 0) {
        track.kind = PartialTrackKind::Empty;
        return track;
    }
    truncateTo(fd, at, size, track.problem);
    return track;
}

} // namespace

PartialTrack completePartialTrack(const QString &path)
{
    PartialTrack track;
    const QByteArray native = QFile::encodeName(path);
    int fd = ::open(native.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
        // Still told apart, so the caller can save what cannot be mended.
        track.problem = systemErrorText(errno);
        fd = ::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    }
    if (fd < 0) {
        track.problem = systemErrorText(errno);
        return track;
    }
    const UniqueFd file(fd);
    struct stat info {
    };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return track;
    const auto size = std::uint64_t(info.st_size);
    if (size == 0) {
        track.kind = PartialTrackKind::Empty;
        return track;
    }
    const std::vector<std::uint8_t> head = readBytesAt(fd, 0, kHeadBytes);
    if (head.size() < std::min<std::uint64_t>(size, 4))
        return track;
    const QString openProblem = track.problem;
    if (std::memcmp(head.data(), "RIFF", std::min<std::size_t>(4, head.size())) == 0)
        track = completeWav(fd, head, size);
    else if (std::memcmp(head.data(), "OggS", std::min<std::size_t>(4, head.size())) == 0)
        track = completeOggTrack(fd, size);
    else if (head.size() >= 4)
        track = completeFrames(fd, head, size);
    // Opened for reading only: what it holds is known, but it was not mended.
    if (!openProblem.isEmpty() && holdsAudio(track.kind))
        track.problem = openProblem;
    else if (track.problem.isEmpty() && holdsAudio(track.kind) && ::fsync(fd) != 0)
        track.problem = systemErrorText(errno);
    return track;
}

QString partialTrackExtension(PartialTrackKind kind)
{
    switch (kind) {
    case PartialTrackKind::Mp3:
        return QStringLiteral("mp3");
    case PartialTrackKind::Aac:
        return QStringLiteral("aac");
    case PartialTrackKind::Ogg:
        return QStringLiteral("ogg");
    case PartialTrackKind::Opus:
        return QStringLiteral("opus");
    default:
        return QStringLiteral("wav");
    }
}

bool tagCompletedMp3(const QString &path, const TagFields &tags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const UniqueFd file(fd);
    struct stat info {
    };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    const std::vector<std::uint8_t> head = readBytesAt(fd, 0, std::size_t(Mp3Writer::kTagRoom));
    const bool emptyRoom = id3v2Bytes(head) == std::uint64_t(Mp3Writer::kTagRoom) &&
                           head.size() == std::size_t(Mp3Writer::kTagRoom) &&
                           std::all_of(head.begin() + 10, head.end(), [](std::uint8_t b) { return b == 0; });
    int error = 0;
    if (emptyRoom) {
        const QByteArray tag = id3v2Tag(tags, Mp3Writer::kTagRoom);
        error = writeFully(fd, tag.constData(), std::size_t(tag.size()), 0);
    }
    const QByteArray tail = id3v1Tag(tags.title, tags.artist, tags.album, tags.trackNumber);
    if (error == 0 && !tail.isEmpty())
        error = writeFully(fd, tail.constData(), std::size_t(tail.size()), std::uint64_t(info.st_size));
    return error == 0 && ::fsync(fd) == 0;
}

namespace
{

// Where a finished track's audio frames lie: after its ID3v2 tag and Info
// frame, before its ID3v1 tag. info is the Info frame's offset (0: none).
struct FrameLayout {
    PartialTrackKind kind = PartialTrackKind::Unknown;
    std::uint64_t info = 0;
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
};

std::optional<FrameLayout> frameLayout(int fd, std::uint64_t size)
{
    FrameLayout layout;
    layout.begin = id3v2Bytes(readBytesAt(fd, 0, 10));
    const std::vector<std::uint8_t> head = readBytesAt(fd, layout.begin, kHeadBytes);
    layout.kind = framesKind(head);
    if (layout.kind == PartialTrackKind::Unknown)
        return std::nullopt;
    // Only a written Info header: a frame of digital silence from a
    // station is all zeros too, and it is sound.
    if (layout.kind == PartialTrackKind::Mp3) {
        const std::uint32_t first = *mp3FrameBytes(head.data());
        const auto frameEnd = head.begin() + std::min<std::size_t>(first, head.size());
        const auto holds = [&](const char *text) {
            return std::search(head.begin(), frameEnd, text, text + 4) != frameEnd;
        };
        if (holds("Info") || holds("Xing")) {
            layout.info = layout.begin;
            layout.begin += first;
        }
    }
    layout.end = size;
    const std::vector<std::uint8_t> tail = size >= 128 ? readBytesAt(fd, size - 128, 3) : std::vector<std::uint8_t>{};
    if (tail.size() == 3 && std::memcmp(tail.data(), "TAG", 3) == 0)
        layout.end -= 128;
    return layout.end >= layout.begin ? std::optional(layout) : std::nullopt;
}

// Adds frames and bytes to the counts of the Info frame at offset info.
void growInfoFrame(int fd, std::uint64_t info, std::uint32_t frames, std::uint32_t bytes)
{
    std::vector<std::uint8_t> frame = readBytesAt(fd, info, 2048);
    for (const char *tag : {"Info", "Xing"}) {
        const auto at = std::search(frame.begin(), frame.end(), tag, tag + 4);
        if (at == frame.end() || frame.end() - at < 16)
            continue;
        std::uint8_t *p = &*at + 4;
        const std::uint32_t flags = std::uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
        std::uint8_t *field = p + 4;
        const auto add = [](std::uint8_t *f, std::uint32_t n) {
            std::uint32_t v = std::uint32_t(f[0]) << 24 | f[1] << 16 | f[2] << 8 | f[3];
            v += n;
            f[0] = std::uint8_t(v >> 24);
            f[1] = std::uint8_t(v >> 16);
            f[2] = std::uint8_t(v >> 8);
            f[3] = std::uint8_t(v);
        };
        if (flags & 1) {
            add(field, frames);
            field += 4;
        }
        if (flags & 2)
            add(field, bytes);
        writeFully(fd, frame.data(), std::size_t(field + 4 - frame.data()), info);
        return;
    }
}

// MP3 or ADTS frames, of the same kind in both files.
bool appendFrames(int from, std::uint64_t fromSize, int to, std::uint64_t toSize)
{
    const auto source = frameLayout(from, fromSize);
    const auto target = frameLayout(to, toSize);
    if (!source || !target || source->kind != target->kind)
        return false;
    const std::vector<std::uint8_t> tag =
        target->end < toSize ? readBytesAt(to, target->end, 128) : std::vector<std::uint8_t>{};
    const std::uint64_t bytes = source->end - source->begin;
    if (!copyBytes(from, source->begin, source->end, to, target->end) ||
        (!tag.empty() && writeFully(to, tag.data(), tag.size(), target->end + bytes) != 0)) {
        // The track stays as it was.
        if (::ftruncate(to, off_t(toSize)) == 0 && !tag.empty())
            writeFully(to, tag.data(), tag.size(), target->end);
        return false;
    }
    if (target->info > 0)
        growInfoFrame(to, target->info,
                      std::uint32_t(walkFrames(source->kind, from, source->begin, source->end).frames),
                      std::uint32_t(bytes));
    return true;
}

// Our WAV files: a 44-byte header, then the samples.
bool appendWav(int from, std::uint64_t fromSize, int to, std::uint64_t toSize)
{
    const std::vector<std::uint8_t> a = readBytesAt(from, 0, WavWriter::kHeaderBytes);
    const std::vector<std::uint8_t> b = readBytesAt(to, 0, WavWriter::kHeaderBytes);
    if (a.size() < WavWriter::kHeaderBytes || b.size() < WavWriter::kHeaderBytes ||
        std::memcmp(a.data() + 20, b.data() + 20, 16) != 0 || std::memcmp(b.data() + 36, "data", 4) != 0)
        return false;
    const std::uint64_t added = std::min<std::uint64_t>(getU32(a.data() + 40), fromSize - WavWriter::kHeaderBytes);
    const std::uint64_t data = std::uint64_t(getU32(b.data() + 40)) + added;
    if (data > WavWriter::kMaxDataBytes || toSize != WavWriter::kHeaderBytes + getU32(b.data() + 40))
        return false;
    if (!copyBytes(from, WavWriter::kHeaderBytes, WavWriter::kHeaderBytes + added, to, toSize)) {
        (void)::ftruncate(to, off_t(toSize));
        return false;
    }
    std::uint8_t sizes[4];
    putU32(sizes, std::uint32_t(data + 36));
    writeFully(to, sizes, 4, 4);
    putU32(sizes, std::uint32_t(data));
    return writeFully(to, sizes, 4, 40) == 0;
}

} // namespace

bool appendTrackAudio(const QString &from, const QString &to)
{
    const int in = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (in < 0)
        return false;
    const UniqueFd source(in);
    const int out = ::open(QFile::encodeName(to).constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (out < 0)
        return false;
    const UniqueFd target(out);
    struct stat a {
    }, b{};
    if (::fstat(in, &a) != 0 || ::fstat(out, &b) != 0 || !S_ISREG(a.st_mode) || !S_ISREG(b.st_mode))
        return false;
    const std::vector<std::uint8_t> head = readBytesAt(out, 0, 4);
    const auto startsWith = [&](const char *magic) {
        return head.size() == 4 && std::memcmp(head.data(), magic, 4) == 0;
    };
    const auto fromSize = std::uint64_t(a.st_size), toSize = std::uint64_t(b.st_size);
    const bool ok = startsWith("RIFF")   ? appendWav(in, fromSize, out, toSize)
                    : startsWith("OggS") ? appendOggTrack(in, fromSize, out, toSize)
                                         : appendFrames(in, fromSize, out, toSize);
    return ok && ::fsync(out) == 0;
}

} // namespace skywell

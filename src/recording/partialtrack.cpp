#include "recording/partialtrack.h"

#include "core/fdwrite.h"
#include "core/regularfile.h"
#include "core/uniquefd.h"
#include "postprocess/mp3header.h"
#include "recording/mp3writer.h"
#include "recording/pcmframes.h"
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
constexpr std::size_t kReadBytes = 1 << 20;

// Reads up to bytes from offset; what the file has there.
std::vector<std::uint8_t> readAt(int fd, std::uint64_t offset, std::size_t bytes)
{
    std::vector<std::uint8_t> data(bytes);
    std::size_t got = 0;
    while (got < bytes) {
        const ssize_t n = ::pread(fd, data.data() + got, bytes - got, off_t(offset + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += std::size_t(n);
    }
    data.resize(got);
    return data;
}

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

// The whole frames from begin up to size, as far as they make sense.
struct Mp3FrameWalk {
    std::uint64_t frames = 0;
    std::uint64_t end = 0; // just past the last whole frame
    bool unreadable = false;
    bool unrecognised = false; // bytes that are no frame came before size
};

Mp3FrameWalk walkMp3Frames(int fd, std::uint64_t begin, std::uint64_t size)
{
    Mp3FrameWalk walk;
    walk.end = begin;
    std::vector<std::uint8_t> buffer;
    std::uint64_t bufferStart = 0;
    while (walk.end + 4 <= size) {
        if (walk.end + 4 > bufferStart + buffer.size()) {
            bufferStart = walk.end;
            buffer = readAt(fd, walk.end, kReadBytes);
            if (buffer.size() < 4) {
                walk.unreadable = true;
                return walk;
            }
        }
        const auto bytes = mp3FrameBytes(buffer.data() + (walk.end - bufferStart));
        if (!bytes) {
            walk.unrecognised = true;
            return walk;
        }
        if (walk.end + *bytes > size)
            break;
        walk.end += *bytes;
        ++walk.frames;
    }
    return walk;
}

PartialTrack completeMp3(int fd, const std::vector<std::uint8_t> &fileHead, std::uint64_t size)
{
    PartialTrack track;
    // The audio follows the tag. A file that ends within our writer's
    // empty tag (padding only) was cut off before any audio reached it;
    // anything else that ends there is not ours.
    const std::uint64_t start = id3v2Bytes(fileHead);
    if (start > 0 && start + 4 > size) {
        if (size <= fileHead.size() &&
            std::all_of(fileHead.begin() + 10, fileHead.end(), [](std::uint8_t b) { return b == 0; }))
            track.kind = PartialTrackKind::Empty;
        return track;
    }
    const std::vector<std::uint8_t> head = start == 0 ? fileHead : readAt(fd, start, kHeadBytes);
    if (head.size() < 4)
        return track;
    const auto first = mp3FrameBytes(head.data());
    if (!first)
        return track;
    track.kind = PartialTrackKind::Mp3;
    const std::uint64_t skipped = isInfoFrame(head, *first) ? *first : 0;

    // Walks the frames to the last whole one. A stream that stops making
    // sense before the end (a finished file's tag, say) is kept whole.
    const double frameSeconds = mp3FrameSeconds(head.data());
    const Mp3FrameWalk walk = walkMp3Frames(fd, start, size);
    if (walk.unreadable) {
        track.problem = systemErrorText(EIO);
        return track;
    }
    if (walk.unrecognised) {
        track.audioBytes = size - start - skipped;
        track.seconds = double(walk.frames) * frameSeconds;
        return track;
    }
    // The Info frame holds no sound.
    const std::uint64_t frames = skipped > 0 && walk.frames > 0 ? walk.frames - 1 : walk.frames;
    track.seconds = double(frames) * frameSeconds;
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
    const std::vector<std::uint8_t> head = readAt(fd, 0, kHeadBytes);
    if (head.size() < std::min<std::uint64_t>(size, 4))
        return track;
    const QString openProblem = track.problem;
    if (std::memcmp(head.data(), "RIFF", std::min<std::size_t>(4, head.size())) == 0)
        track = completeWav(fd, head, size);
    else if (head.size() >= 4)
        track = completeMp3(fd, head, size);
    // Opened for reading only: what it holds is known, but it was not mended.
    if (!openProblem.isEmpty() && (track.kind == PartialTrackKind::Wav || track.kind == PartialTrackKind::Mp3))
        track.problem = openProblem;
    else if (track.problem.isEmpty() && (track.kind == PartialTrackKind::Wav || track.kind == PartialTrackKind::Mp3) &&
             ::fsync(fd) != 0)
        track.problem = systemErrorText(errno);
    return track;
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
    const std::vector<std::uint8_t> head = readAt(fd, 0, std::size_t(Mp3Writer::kTagRoom));
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
struct Mp3Layout {
    std::uint64_t info = 0;
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
};

std::optional<Mp3Layout> mp3Layout(int fd, std::uint64_t size)
{
    Mp3Layout layout;
    layout.begin = id3v2Bytes(readAt(fd, 0, 10));
    const std::vector<std::uint8_t> head = readAt(fd, layout.begin, kHeadBytes);
    if (head.size() < 4)
        return std::nullopt;
    const auto first = mp3FrameBytes(head.data());
    if (!first)
        return std::nullopt;
    if (isInfoFrame(head, *first)) {
        layout.info = layout.begin;
        layout.begin += *first;
    }
    layout.end = size;
    const std::vector<std::uint8_t> tail = size >= 128 ? readAt(fd, size - 128, 3) : std::vector<std::uint8_t>{};
    if (tail.size() == 3 && std::memcmp(tail.data(), "TAG", 3) == 0)
        layout.end -= 128;
    return layout.end >= layout.begin ? std::optional(layout) : std::nullopt;
}

bool copyRange(int from, std::uint64_t begin, std::uint64_t end, int to, std::uint64_t at)
{
    while (begin < end) {
        const std::vector<std::uint8_t> data =
            readAt(from, begin, std::size_t(std::min<std::uint64_t>(end - begin, kReadBytes)));
        if (data.empty() || writeFully(to, data.data(), data.size(), at) != 0)
            return false;
        begin += data.size();
        at += data.size();
    }
    return true;
}

// Adds frames and bytes to the counts of the Info frame at offset info.
void growInfoFrame(int fd, std::uint64_t info, std::uint32_t frames, std::uint32_t bytes)
{
    std::vector<std::uint8_t> frame = readAt(fd, info, 2048);
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

bool appendMp3(int from, std::uint64_t fromSize, int to, std::uint64_t toSize)
{
    const auto source = mp3Layout(from, fromSize);
    const auto target = mp3Layout(to, toSize);
    if (!source || !target)
        return false;
    const std::vector<std::uint8_t> tag =
        target->end < toSize ? readAt(to, target->end, 128) : std::vector<std::uint8_t>{};
    const std::uint64_t bytes = source->end - source->begin;
    if (!copyRange(from, source->begin, source->end, to, target->end) ||
        (!tag.empty() && writeFully(to, tag.data(), tag.size(), target->end + bytes) != 0)) {
        // The track stays as it was.
        if (::ftruncate(to, off_t(toSize)) == 0 && !tag.empty())
            writeFully(to, tag.data(), tag.size(), target->end);
        return false;
    }
    if (target->info > 0)
        growInfoFrame(to, target->info, std::uint32_t(walkMp3Frames(from, source->begin, source->end).frames),
                      std::uint32_t(bytes));
    return true;
}

// Our WAV files: a 44-byte header, then the samples.
bool appendWav(int from, std::uint64_t fromSize, int to, std::uint64_t toSize)
{
    const std::vector<std::uint8_t> a = readAt(from, 0, WavWriter::kHeaderBytes);
    const std::vector<std::uint8_t> b = readAt(to, 0, WavWriter::kHeaderBytes);
    if (a.size() < WavWriter::kHeaderBytes || b.size() < WavWriter::kHeaderBytes ||
        std::memcmp(a.data() + 20, b.data() + 20, 16) != 0 || std::memcmp(b.data() + 36, "data", 4) != 0)
        return false;
    const std::uint64_t added = std::min<std::uint64_t>(getU32(a.data() + 40), fromSize - WavWriter::kHeaderBytes);
    const std::uint64_t data = std::uint64_t(getU32(b.data() + 40)) + added;
    if (data > WavWriter::kMaxDataBytes || toSize != WavWriter::kHeaderBytes + getU32(b.data() + 40))
        return false;
    if (!copyRange(from, WavWriter::kHeaderBytes, WavWriter::kHeaderBytes + added, to, toSize)) {
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
    const std::vector<std::uint8_t> head = readAt(out, 0, 4);
    const bool wav = head.size() == 4 && std::memcmp(head.data(), "RIFF", 4) == 0;
    const bool ok = wav ? appendWav(in, std::uint64_t(a.st_size), out, std::uint64_t(b.st_size))
                        : appendMp3(in, std::uint64_t(a.st_size), out, std::uint64_t(b.st_size));
    return ok && ::fsync(out) == 0;
}

} // namespace skywell

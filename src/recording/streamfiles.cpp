#include "recording/streamfiles.h"

#include "core/activitylog.h"
#include "core/settings.h"
#include "recording/captureblock.h"
#include "recording/id3tag.h"
#include "recording/recordingsession.h"
#include "recording/systemerror.h"
#include "recording/trackwriter.h"

#include <QFile>
#include <QFileInfo>
#include <cstring>

namespace skywell
{

namespace
{

char nextLetter(char letter)
{
    return letter >= 'a' + StreamFiles::kOpenAttempts - 1 ? 'a' : static_cast<char>(letter + 1);
}

// The tag fields of the track's MP3 files: the Show's name is the album,
// and the artist until the station names one.
TagFields trackTags(const RecordingSession &session, const QString &title, const QString &album, int trackNumber)
{
    TagFields tags{title, album, album, trackNumber, session.startTime};
    // A blank title asks for no tag; the station's title does not undo that.
    if (title == QStringLiteral(" "))
        return tags;
    const StationTitleParts station = splitStationTitle(session.stationTitle);
    if (!station.title.isEmpty())
        tags.title = station.title;
    if (!station.artist.isEmpty())
        tags.artist = station.artist;
    return tags;
}

} // namespace

StreamFiles::StreamFiles(const Settings &settings, ActivityLog &log, std::uint32_t wavLimit)
    : m_settings(settings), m_log(log), m_wavLimit(wavLimit)
{
}

bool StreamFiles::ensureOpen(RecordingSession &session, int index, const CaptureBlock &block)
{
    StreamSlot &slot = session.streams.at(static_cast<std::size_t>(index));
    if (slot.writer && slot.writer->isOpen())
        return true;
    if (slot.refused || slot.openFailed)
        return false;
    std::memcpy(slot.format.data(), block.data(), slot.format.size());
    if (!slot.writer)
        slot.writer = makeTrackWriter(session.flags, block, m_wavLimit);

    QString path;
    int error = 0;
    for (int i = 0; i < kOpenAttempts; ++i) {
        path = m_settings.tempFolder + tempFileName(session.fileKey, index, slot.letter);
        const WriteOutcome opened = slot.writer->open(path, block);
        if (opened) {
            slot.openFailed = false;
            m_gaps.at(static_cast<std::size_t>(index)) = WriteGap{};
            return true;
        }
        error = opened.systemError;
        logWriterErrors(session, index);
        // A half-made file is not left behind.
        const bool made = QFileInfo(path).isFile();
        if (made)
            QFile::remove(path);
        // The MP3 encoder refused the format: another name would fail the
        // same way. (A WAV header that did not fit a full disk may fit later.)
        if (made && slot.writer->encodesMp3()) {
            slot.refused = true;
            session.addOutcome(QStringLiteral("Error opening MP3 encoding stream."));
            return false;
        }
        // The stream's packets cannot be written as they are (broken
        // setup headers): the log has the writer's reason.
        if (block.packet() && made) {
            slot.refused = true;
            session.addOutcome(QStringLiteral("The stream's packets could not be kept as broadcast."));
            return false;
        }
        slot.letter = nextLetter(slot.letter);
    }
    session.addOutcome(formatSystemError(error, QStringLiteral("CreateFile failed."), path));
    slot.openFailed = true;
    return false;
}

bool StreamFiles::mustEndBefore(const RecordingSession &session, int index, const CaptureBlock &block) const
{
    const StreamSlot &slot = session.streams.at(static_cast<std::size_t>(index));
    // An empty file that cannot take the block would refuse it in every
    // track: only a file with audio in it is ended early.
    return slot.writer && slot.writer->isOpen() && slot.writer->bytesWritten() > 0 &&
           slot.writer->wouldExceedLimit(block);
}

void StreamFiles::write(RecordingSession &session, int index, const CaptureBlock &block, std::int64_t now)
{
    StreamSlot &slot = session.streams.at(static_cast<std::size_t>(index));
    WriteGap &gap = m_gaps.at(static_cast<std::size_t>(index));
    TrackWriter &writer = *slot.writer;
    const std::uint64_t before = writer.bytesWritten();
    if (writer.encodesMp3())
        slot.byteCount += block.sampleBytes();
    const WriteOutcome outcome = writer.write(block);
    logWriterErrors(session, index);
    const std::uint64_t after = writer.bytesWritten();
    if (after > before)
        slot.byteCount += after - before;
    if (outcome) {
        // The encoder may hold a block back and write nothing yet: only
        // bytes in the file show that writing goes on.
        if (gap.open && after > before)
            endGap(session, index);
        return;
    }
    slot.writeFailed = true;
    if (!gap.open) {
        gap = WriteGap{true, now, 0, outcome.systemError};
        m_log.logLine(writer.encodesMp3() ? QStringLiteral("Error writing to MP3 file in WriteMP3Block")
                                          : QStringLiteral("Error writing to WAV file in WriteWAVBlock"),
                      m_settings.tempFolder + tempFileName(session.fileKey, index, slot.letter));
    }
    const WaveFormat format = block.format();
    if (const StreamPacket *packet = block.packet(); packet && block.packetFormat()->granuleRate() > 0)
        gap.lostMs += packet->samples * 1000 / block.packetFormat()->granuleRate();
    else if (format.avgBytesPerSec > 0)
        gap.lostMs += std::int64_t(std::uint64_t(block.sampleBytes()) * 1000 / format.avgBytesPerSec);
}

void StreamFiles::endGap(RecordingSession &session, int index)
{
    WriteGap &gap = m_gaps.at(static_cast<std::size_t>(index));
    const QString text = unsavedAudioText(gap.lostMs, gap.from, gap.error);
    m_log.logLine(text);
    session.addOutcome(text);
    gap = WriteGap{};
}

void StreamFiles::logWriterErrors(const RecordingSession &session, int index)
{
    const StreamSlot &slot = session.streams.at(static_cast<std::size_t>(index));
    for (const QString &text : slot.writer->takeErrors())
        m_log.logLine(text, m_settings.tempFolder + tempFileName(session.fileKey, index, slot.letter));
}

void StreamFiles::closeAll(RecordingSession &session, const QString &title, const QString &album, int trackNumber)
{
    const TagFields tags = trackTags(session, title, album, trackNumber);
    for (int i = 0; i < session.streamCount; ++i) {
        StreamSlot &slot = session.streams.at(static_cast<std::size_t>(i));
        if (m_gaps.at(static_cast<std::size_t>(i)).open)
            endGap(session, i);
        if (slot.writer && slot.writer->isOpen() && !slot.writer->close(tags))
            slot.writeFailed = true;
        if (slot.writer)
            logWriterErrors(session, i);
        slot.writer.reset();
    }
}

} // namespace skywell

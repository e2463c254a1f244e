#pragma once

#include "recording/recordingsession.h"
#include "recording/wavwriter.h"

#include <QString>
#include <array>
#include <cstdint>

namespace skywell
{

class ActivityLog;
class CaptureBlock;
struct RecordingSession;
struct Settings;

// The temporary files of a track's streams: opening a stream's file on its
// first block (moving on to the next letter of the name when one cannot be
// created), writing blocks, and closing them all at the end of the track.
class StreamFiles final
{
public:
    // Names tried when a stream's first block arrives ('a' to 'l').
    static constexpr int kOpenAttempts = 12;

    StreamFiles(const Settings &settings, ActivityLog &log, std::uint32_t wavLimit = WavWriter::kMaxDataBytes);

    // Makes sure the slot's file is open. A name that cannot be created
    // moves the letter on ('a' to 'l'); after kOpenAttempts failed names the
    // problem goes into the report and the stream has no file for the rest
    // of the track. A format the writer refuses is reported once and the
    // stream left out of the track. False: the block is dropped.
    bool ensureOpen(RecordingSession &session, int slot, const CaptureBlock &block);
    // Writes the block and counts it into the slot's bytes. A failed write
    // (a full disk) loses that block only: later blocks are written again as
    // soon as the file takes them. A run of failed writes is logged once
    // when it begins and reported when it ends (or with the track): how
    // much audio was lost, from when (now, seconds since 1970) and why.
    void write(RecordingSession &session, int slot, const CaptureBlock &block, std::int64_t now);
    // Whether the slot's WAV file must end before this block.
    bool mustEndBefore(const RecordingSession &session, int slot, const CaptureBlock &block) const;
    // Closes every open file with the MP3 tag fields; marks each slot closed.
    // With a station's title in the session the tags' title and artist come
    // from it ("Artist - Title"; without an artist the usual one stays); the
    // recording time is the session's start.
    void closeAll(RecordingSession &session, const QString &title, const QString &album, int trackNumber);

private:
    // Blocks of one stream that did not reach its file, one after another.
    struct WriteGap {
        bool open = false;
        std::int64_t from = 0;
        std::int64_t lostMs = 0;
        int error = 0;
    };
    void endGap(RecordingSession &session, int slot);
    // Logs what the slot's writer found wrong (its effect on the track is
    // in the report already: a gap, a lost file, a refused format).
    void logWriterErrors(const RecordingSession &session, int slot);

    std::array<WriteGap, RecordingSession::kMaxStreams> m_gaps{};
    const Settings &m_settings;
    ActivityLog &m_log;
    std::uint32_t m_wavLimit;
};

} // namespace skywell

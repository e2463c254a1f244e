#pragma once

#include "recording/streampacket.h"
#include "recording/trackwriter.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <memory>

namespace skywell
{

// One audio stream of the current track, told apart from the others by the
// format header of its first block.
struct StreamSlot {
    std::array<std::uint8_t, WaveFormat::kBytes> format{};
    // The letter after "skywell-" in the temporary file name; it moves on
    // when a name cannot be created and stays moved for the process's life.
    char letter = 'a';
    // Bytes that went into the stream (source bytes plus encoded bytes for
    // MP3, file bytes for WAV); the best stream of a track has the most.
    std::uint64_t byteCount = 0;
    std::unique_ptr<TrackWriter> writer;
    // Every name tried for this stream's temporary file failed: the stream
    // has no file in this track and is never delivered.
    bool openFailed = false;
    // The file could be created but the writer refused the stream's
    // format: no other name helps, the stream is left out of the track.
    bool refused = false;
    // Some audio of this track could not be written to the stream's file
    // (the file holds the rest, whole blocks only).
    bool writeFailed = false;
};

// The recording in progress. The recording controller sets the options when
// a recording starts; block processing keeps the running fields.
struct RecordingSession {
    static constexpr int kMaxStreams = 10;
    // The problem report grows by whole lines up to this length, so a path
    // in it is never cut in half.
    static constexpr int kMaxOutcomeChars = 4095;

    // Options.
    QString name;
    std::uint32_t flags = 0;
    QString recordSource;
    // The address a recording straight from the stream opens.
    QString streamAddress;
    bool deadAirOn = false;
    std::int32_t deadAirMs = 0;
    std::int32_t silenceSplitMs = 0;
    std::int32_t splitEverySeconds = 0;
    bool compressSpeech = false;
    bool muteWhileRecording = false;
    // Sets this recording's temporary file names and recovery marker apart
    // from those of the others running beside it ("" : the plain names).
    QString fileKey;
    // When the recording started (seconds since the epoch); the tags' date.
    std::int64_t startTime = 0;

    // Running fields.
    bool recording = false;
    bool capturing = false;
    bool splitting = false;
    std::int32_t trackNumber = 1;
    std::int64_t trackMs = 0;
    std::int64_t silenceRunMs = 0;
    std::int64_t lastAudioTime = 0;
    std::int32_t acceptedBlocks = 0;
    // The station's title of the current track (a stream source): the one
    // playing when the track began, or the first heard in it. Empty: none.
    QString stationTitle;
    // Some block of this recording had sound (since its capture started;
    // kept over splits).
    bool soundHeard = false;
    QString outcomeText;
    // Milliseconds of audio left out of every track (pieces too short to
    // keep at a split), since capture started.
    std::int64_t unsavedMs = 0;
    // The series of track names: 0 for "Name - 01", 2 for "Name(2) - 01"
    // and so on; every track of a recording keeps its first track's.
    int seriesIndex = 0;
    // The playlist file this recording's playlist replaces (an interrupted
    // recording's, continued); empty: a new one.
    QString playlistFile;
    // Saved tracks meant for the CD or the music library.
    QStringList savedFiles;
    // Tracks delivered since the recording's capture started.
    int savedTracks = 0;
    // The last of them in the recordings folder; empty: none.
    QString lastTrackPath;
    // Every saved track, joined by "\r\n" (the playlist).
    QString playlistText;
    int streamCount = 0;
    std::array<StreamSlot, kMaxStreams> streams;
    // The packets the current track keeps as the station sent them (a
    // stream recorded as broadcast); null while it holds decoded audio.
    std::shared_ptr<const PacketFormat> trackPackets;

    // Sets the problem report; past its length it keeps the whole lines that
    // fit (a single overlong line is cut at a whole character).
    void setOutcome(const QString &text);
    // Adds the audio left out of the tracks to the report, when there was any.
    void reportUnsavedAudio();
    // Adds a problem on a line of its own; a line that no longer fits is
    // left out whole (the log has it).
    void addOutcome(const QString &text);
};

// The report's line for audio that never reached a track's file: how long
// (milliseconds), from when (seconds since 1970) and the system's reason
// (an errno; 0 when none is known).
QString unsavedAudioText(std::int64_t lostMs, std::int64_t from, int error);

// "skywell-a1.wav" for the first slot with letter 'a'; with a file key
// "skywell-<key>-a1.wav".
QString tempFileName(const QString &fileKey, int slotIndex, char letter);

} // namespace skywell

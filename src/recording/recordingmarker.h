#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace skywell
{

struct RecordingSession;

// A small file in the temporary folder that says a recording is under way
// and which track it is on. Written when capture starts and at each split,
// removed when the recording ends normally; one still there at start-up
// means the program stopped in the middle of a recording, and its fields
// name the track files that recovery finds.
struct RecordingMarker {
    QString name;            // the recording's name (Show or Quick Record)
    std::uint32_t flags = 0; // the recording's flag word
    std::int32_t trackNumber = 1;
    std::int64_t startTime = 0; // when the recording started, seconds since 1970
    // The station's title of the track (a stream source); empty: none.
    QString stationTitle;
    // The playlist text of the tracks saved before this one.
    QString playlistText;
    // The series of the track names (outputFileName's index: 0, 2, 3 ...).
    std::int32_t seriesIndex = 0;
    // The playlist file already written for the recording; empty: none.
    QString playlistFile;
    // What outputFileName("m3u", -1) gave on the recording's day: a later
    // recording of the same name and day continues its series.
    QString seriesName;
    // The recording's key ([a-z0-9], as RecordingSession::fileKey): its
    // temporary files are "skywell-<key>-a1.wav" ... Empty: the plain
    // names, and the only key a marker of an older Skywell has.
    QString fileKey;

    // The marker's file name in the temporary folder for a recording
    // without a key.
    static const QString kFileName;
    // The file that tells the next recording of an interrupted one where
    // its series goes on (the same fields, trackNumber the next track's),
    // for a recording without a key.
    static const QString kResumeFileName;

    // "skywell-recording-<key>.json"; kFileName for an empty key.
    static QString fileNameFor(const QString &fileKey);
    // "skywell-resume-<key>.json"; kResumeFileName for an empty key.
    static QString resumeFileNameFor(const QString &fileKey);

    // The recording in progress.
    static RecordingMarker of(const RecordingSession &session, std::int64_t startTime);

    // Replaces the marker atomically (a new file renamed over the old one,
    // synced to disk first). False when it could not be written.
    static bool write(const QString &tempFolder, const RecordingMarker &marker, const QString &fileName = kFileName);
    // Removes the marker; true when none is left.
    static bool clear(const QString &tempFolder, const QString &fileName = kFileName);
    // The marker, or nothing when there is none or it cannot be read as one
    // (cut short, garbage, a folder, a link to somewhere else, a key that
    // no recording has). The fields after startTime may be missing (a
    // marker of an older Skywell).
    static std::optional<RecordingMarker> read(const QString &tempFolder, const QString &fileName = kFileName);
};

} // namespace skywell

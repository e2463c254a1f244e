#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace skywell
{

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

    // The marker's file name in the temporary folder.
    static const QString kFileName;

    // Replaces the marker atomically (a new file renamed over the old one,
    // synced to disk first). False when it could not be written.
    static bool write(const QString &tempFolder, const RecordingMarker &marker);
    // Removes the marker; true when none is left.
    static bool clear(const QString &tempFolder);
    // The marker, or nothing when there is none or it cannot be read as one
    // (cut short, garbage, a folder, a link to somewhere else).
    static std::optional<RecordingMarker> read(const QString &tempFolder);
};

} // namespace skywell

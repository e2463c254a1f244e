#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace skywell
{

// The external programs that finish tracks. Plain names are looked up on
// PATH; the user's script lives in the program folder.
struct ToolPrograms {
    QString shell = QStringLiteral("/bin/sh");
    QString customScriptName = QStringLiteral("custom.sh");
    QString mp3Decoder = QStringLiteral("lame");
    // Decodes AAC, Ogg Vorbis and Opus tracks kept as broadcast.
    QString audioDecoder = QStringLiteral("ffmpeg");
    QString wavConverter = QStringLiteral("sox");
    // The CD writer helper; empty means "skywell-cdwrite" beside the running
    // program.
    QString cdWriter;
};

// How many polls each tool run may last (one poll a second by default).
struct ToolLimits {
    int customPolls = 600;     // 10 minutes
    int decodePolls = 1200;    // 20 minutes
    int convertPolls = 600;    // 10 minutes
    int cdWriterPolls = 24000; // 400 minutes
};

// The recording in progress, as far as the converters care.
struct RecordingSpan {
    std::int64_t startTime = 0;
    std::int64_t endTime = 0;
};

// Tells the converters which recording is in progress (none: nullopt). The
// recording controller provides it.
using RecordingInProgress = std::function<std::optional<RecordingSpan>()>;

// Sets the main window's status line ("Ready" for an empty text).
using StatusLine = std::function<void(const QString &)>;

} // namespace skywell

#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

namespace skywell
{

struct Settings;

// The free space of a folder's file system.
struct FolderSpace {
    std::uint64_t availableBytes = 0; // what an ordinary user may still write
    std::uint64_t fileSystem = 0;     // tells file systems apart (the device)
};

// Asks for a folder's free space; nothing when the folder cannot be asked.
using FreeSpaceQuery = std::function<std::optional<FolderSpace>(const QString &folder)>;

// The system's answer (statvfs and stat).
std::optional<FolderSpace> systemFreeSpace(const QString &folder);

// Bytes a second of recording takes in the given output kind: CD audio
// for WAV, audio CD and custom output; the encoder's bit rate for MP3 (an
// MP3 CD is written at CD quality); 128 kbit/s for a direct download,
// whose real rate is the station's; nothing when only listening.
std::uint64_t recordingBytesPerSecond(std::uint32_t flags);

// Whether the temporary and recordings folders have room for a recording
// of the given length. The temporary folder holds one track at a time
// (splitEverySeconds shortens it; 0 = the whole recording in one track),
// the recordings folder all of them; each needs 10 % and 20 MB more. On
// one file system tracks move by renaming, so the whole recording is
// counted there once. Empty when there is room, else the reason, e.g.
// "Not enough free space in /x/ for this recording: about 700 MB needed,
// 500 MB free." A folder that cannot be asked is named as missing.
QString freeSpaceProblem(const Settings &settings, std::uint32_t flags, std::int64_t seconds,
                         std::int64_t splitEverySeconds = 0, const FreeSpaceQuery &query = systemFreeSpace);

} // namespace skywell

#pragma once

#include <QString>
#include <QStringList>

namespace skywell::cdwrite
{

// Audio CD figures: 75 sectors a second, 2352 bytes (588 stereo 16-bit
// samples) a sector, at least 4 seconds a track, 99 tracks, 80 minutes.
inline constexpr qint64 kSectorBytes = 2352;
inline constexpr qint64 kSectorsPerSecond = 75;
inline constexpr qint64 kMinTrackSectors = 4 * kSectorsPerSecond;
inline constexpr int kMaxTracks = 99;
inline constexpr qint64 kMaxDiscSectors = 80 * 60 * kSectorsPerSecond;

// The PCM data of a WAV file in CD format (44100 Hz, 16-bit, stereo).
struct CdWav {
    qint64 dataOffset = 0;
    qint64 dataBytes = 0;
};

// Reads the header; on failure returns false and says why in error.
bool openCdWav(const QString &path, CdWav &wav, QString *error);

// Sectors a track of this many bytes fills on the disc (padded with
// silence to whole sectors and to the shortest track).
qint64 trackSectors(qint64 dataBytes);

// Checks that the WAV files make one audio CD; empty when they do.
QString checkAudioTracks(const QStringList &files);

// Writes "<folder><baseName>.bin" (raw little-endian samples, each track
// padded to whole sectors and at least 4 seconds) and its cue sheet
// "<folder><baseName>.cue". Returns the cue path, or empty with error set.
QString writeCueBin(const QStringList &files, const QString &folder, const QString &baseName, QString *error);

// "mm:ss:ff" of a sector count.
QString cueTime(qint64 sectors);

} // namespace skywell::cdwrite

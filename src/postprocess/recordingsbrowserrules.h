#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace skywell
{

// The filter meaning every recording.
inline const QString kAllRecordings = QStringLiteral(".");

// A file of the recordings folder is listed when its name holds the filter
// (case-sensitive) and ".wav", ".mp3", ".aac", ".ogg" or ".opus" anywhere.
bool recordingListed(const QString &fileName, const QString &filter);

// One listed recording: its file name in the folder, when it was last
// written, and what its head says (length, title, or why it is unreadable).
struct RecordingEntry {
    QString name;
    QDateTime modified;
    double seconds = -1; // negative: not known
    QString title;       // the title tag, else the name without its extension
    QString problem;     // why the file cannot be read; empty when it can
};

// What the recordings folder holds: the listed files, newest first (by
// name where two were written at the same time), or why the folder could
// not be read. Reads each file's head, so it runs off the window's thread.
struct RecordingScan {
    QList<RecordingEntry> entries;
    QString problem;
};
RecordingScan scanRecordings(const QString &folder, const QString &filter);

// A length as the list shows it: "m:ss", or "h:mm:ss" from an hour on;
// "unreadable" for a file that cannot be read, empty when not known.
QString recordingLengthText(const RecordingEntry &entry);

// Moves the file at path to the desktop's Trash. Empty when it went there,
// else why it stays where it is.
QString moveToTrash(const QString &path);

// The label above the list: "Currently Showing: ALL SHOWS" or the Show.
QString currentlyShowingText(const QString &filter);

// Writes the playlist at path: one full path (folder + name) a line, each
// ended by CR LF, no header; replaced if present. False when it cannot be
// written.
bool writePlaylist(const QString &path, const QString &folder, const QStringList &names);

// Where a track is decoded for an audio CD: a trailing ".mp3", ".aac",
// ".ogg" or ".opus" becomes ".wav" (folders keep their names), and an
// existing file is never overwritten: " (2)", " (3)" … go before the
// extension instead.
QString audioCdWavPath(const QString &trackPath);

// Whether a selected name is a compressed track (MP3, AAC, Ogg Vorbis or
// Opus) to decode before an audio CD.
bool needsDecodingForAudioCd(const QString &fileName);

} // namespace skywell

#pragma once

#include <QString>
#include <QStringList>

namespace skywell
{

// The filter meaning every recording.
inline const QString kAllRecordings = QStringLiteral(".");

// A file of the recordings folder is listed when its name holds the filter
// (case-sensitive) and ".wav" or ".mp3" anywhere.
bool recordingListed(const QString &fileName, const QString &filter);

// The listed file names of folder, sorted alphabetically; empty when the
// folder is missing or unreadable.
QStringList listRecordings(const QString &folder, const QString &filter);

// The label above the list: "Currently Showing: ALL SHOWS" or the Show.
QString currentlyShowingText(const QString &filter);

// Writes the playlist at path: one full path (folder + name) a line, each
// ended by CR LF, no header; replaced if present. False when it cannot be
// written.
bool writePlaylist(const QString &path, const QString &folder, const QStringList &names);

// Where an MP3 is decoded for an audio CD: a trailing ".mp3" becomes
// ".wav" (folders keep their names), and an existing file is never
// overwritten: " (2)", " (3)" … go before the extension instead.
QString audioCdWavPath(const QString &mp3Path);

// Whether a selected name is an MP3 to decode before an audio CD.
bool needsDecodingForAudioCd(const QString &fileName);

} // namespace skywell

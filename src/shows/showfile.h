#pragma once

#include "shows/show.h"

#include <QString>

namespace skywell
{

inline const QString kShowFileName = QStringLiteral("Skywell5.dat");

// A Show file larger than this is refused, not read: no real list comes
// near it (about 16000 Shows).
inline constexpr qint64 kMaxShowFileBytes = qint64{16} * 1024 * 1024;

enum class ShowFileLoad {
    Loaded,  // the records were appended to the list
    Missing, // nothing is there: a first start
    Refused  // something is there that could not or must not be read
};

// Appends every record of the Show file at path to the list. Each record
// becomes a new Show (which takes the next serial) overwritten by the
// file's bytes; the serial is then put back and the field at offset 956
// set to -1. A shorter last record keeps the new-Show defaults in the
// bytes the file does not hold. Only a regular file of at most
// kMaxShowFileBytes is read; anything else (a folder, a FIFO, a device, a
// read error) is Refused with the reason in problem, and the list is left
// as it was. Opening never blocks.
ShowFileLoad loadShowFile(ShowList &shows, const QString &path, QString *problem = nullptr);

// loadShowFile of "Skywell5.dat" in the program folder; true when loaded.
bool loadShows(ShowList &shows, const QString &programFolder);

// Writes every Show's 1052 bytes, in list order, to the file at path. The
// records go to a temporary file in the same folder, which is flushed to
// disk and then renamed over the old file: a crash or a full disk leaves
// either the old list or the new one, never a cut one. Returns false (the
// old file intact, no temporary file left) with the system's reason in
// problem when any step fails.
bool saveShowFile(const ShowList &shows, const QString &path, QString *problem = nullptr);

// saveShowFile to "Skywell5.dat" in the program folder.
bool saveShows(const ShowList &shows, const QString &programFolder);

// The records of a Show file image, as loadShowFile reads them.
void appendShowRecords(ShowList &shows, const char *data, std::size_t size);

} // namespace skywell

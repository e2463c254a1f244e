#pragma once

#include "shows/show.h"

#include <QString>

namespace skywell
{

inline const QString kShowFileName = QStringLiteral("Skywell5.dat");

// Appends every record of "Skywell5.dat" in the program folder to the list.
// Each record becomes a new Show (which takes the next serial) overwritten
// by the file's bytes; the serial is then put back and the field at offset
// 956 set to -1. A shorter last record keeps the new-Show defaults in the
// bytes the file does not hold. Returns false, leaving the list as it is,
// when the file cannot be opened. Nothing in the file is trusted beyond
// its length; every field is read within its size.
bool loadShows(ShowList &shows, const QString &programFolder);

// Writes every Show's 1052 bytes, in list order, to "Skywell5.dat" in the
// program folder. The records go to a temporary file in the same folder,
// which is flushed to disk and then renamed over the old file: a crash or
// a full disk leaves either the old list or the new one, never a cut one.
// Returns false (the old file intact) when any step fails.
bool saveShows(const ShowList &shows, const QString &programFolder);

// The records of a Show file image, as loadShows reads them.
void appendShowRecords(ShowList &shows, const char *data, std::size_t size);

} // namespace skywell

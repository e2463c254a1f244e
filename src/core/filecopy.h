#pragma once

#include <QString>

namespace skywell
{

// Copies source to destination through a neighbour "<destination>.part"
// that is flushed and renamed over the destination once it is whole, so
// an existing destination is only ever replaced by a complete copy; a
// partial copy is removed. Returns 0, or the error number of the step that
// failed (ENOSPC when the destination's disk is full).
int copyFileReplacing(const QString &source, const QString &destination);

// Copies what is left to read of from to the current position of to.
// Returns 0, or the error number of the read or write that failed.
int copyFileContents(int from, int to);

} // namespace skywell

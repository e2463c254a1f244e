#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

namespace skywell
{

// Writes every byte to a file descriptor, at offset when one is given
// (pwrite) or else at the current position, going on after partial writes
// and interrupted calls. Returns 0 when all was written, else the error
// number (ENOSPC when the system wrote nothing without saying why).
int writeFully(int fd, const void *data, std::size_t bytes, std::optional<std::uint64_t> offset = std::nullopt);

// Syncs a folder, so that a file just created or renamed in it survives a
// power cut. Best effort: a folder that cannot be opened is left as it is.
void syncFolder(const QString &folder);

} // namespace skywell

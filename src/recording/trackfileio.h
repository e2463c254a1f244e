#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace skywell
{

// Reading and copying parts of a track file by offset, for mending and
// joining track files in place.

// Up to bytes from offset: what the file has there.
std::vector<std::uint8_t> readBytesAt(int fd, std::uint64_t offset, std::size_t bytes);

// Copies from's bytes [begin, end) to to at offset at; false when a read
// or write failed.
bool copyBytes(int from, std::uint64_t begin, std::uint64_t end, int to, std::uint64_t at);

} // namespace skywell

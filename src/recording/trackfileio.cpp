#include "recording/trackfileio.h"

#include "core/fdwrite.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace skywell
{

namespace
{
constexpr std::size_t kCopyBytes = 1 << 20;
}

std::vector<std::uint8_t> readBytesAt(int fd, std::uint64_t offset, std::size_t bytes)
{
    std::vector<std::uint8_t> data(bytes);
    std::size_t got = 0;
    while (got < bytes) {
        const ssize_t n = ::pread(fd, data.data() + got, bytes - got, off_t(offset + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += std::size_t(n);
    }
    data.resize(got);
    return data;
}

bool copyBytes(int from, std::uint64_t begin, std::uint64_t end, int to, std::uint64_t at)
{
    while (begin < end) {
        const std::vector<std::uint8_t> data =
            readBytesAt(from, begin, std::size_t(std::min<std::uint64_t>(end - begin, kCopyBytes)));
        if (data.empty() || writeFully(to, data.data(), data.size(), at) != 0)
            return false;
        begin += data.size();
        at += data.size();
    }
    return true;
}

} // namespace skywell

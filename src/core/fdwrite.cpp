#include "core/fdwrite.h"

#include <cerrno>
#include <unistd.h>

namespace skywell
{

int writeFully(int fd, const void *data, std::size_t bytes, std::optional<std::uint64_t> offset)
{
    const auto *at = static_cast<const char *>(data);
    while (bytes > 0) {
        const ssize_t n = offset ? ::pwrite(fd, at, bytes, off_t(*offset)) : ::write(fd, at, bytes);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        at += n;
        bytes -= std::size_t(n);
        if (offset)
            *offset += std::uint64_t(n);
    }
    return 0;
}

} // namespace skywell

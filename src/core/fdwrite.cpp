#include "core/fdwrite.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
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

void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace skywell

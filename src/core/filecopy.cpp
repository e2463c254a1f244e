#include "core/filecopy.h"

#include "core/fdwrite.h"
#include "core/uniquefd.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace skywell
{

int copyFileContents(int from, int to)
{
    std::vector<char> buffer(256 * 1024);
    for (;;) {
        const ssize_t n = ::read(from, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return 0;
        if (const int error = writeFully(to, buffer.data(), std::size_t(n)))
            return error;
    }
}

int copyFileReplacing(const QString &source, const QString &destination)
{
    const QByteArray from = QFile::encodeName(source);
    const QByteArray to = QFile::encodeName(destination);
    const QByteArray part = to + ".part";
    UniqueFd in(::open(from.constData(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0)
        return errno;
    UniqueFd out(::open(part.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (out.get() < 0)
        return errno;
    int error = copyFileContents(in.get(), out.get());
    // On disk before the rename: a power cut never leaves the old file
    // replaced by an empty one.
    if (error == 0 && ::fdatasync(out.get()) != 0)
        error = errno;
    if (const int closeError = out.close(); error == 0)
        error = closeError;
    if (error == 0 && ::rename(part.constData(), to.constData()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(part.constData());
    return error;
}

} // namespace skywell

#include "core/filecopy.h"

#include "core/fdwrite.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace skywell
{

namespace
{

class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    // Closes now; the error number of the close, 0 when it went well.
    int close() { return ::close(std::exchange(m_fd, -1)) == 0 ? 0 : errno; }

private:
    int m_fd;
};

int copyContents(int from, int to)
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

} // namespace

int copyFileReplacing(const QString &source, const QString &destination)
{
    const QByteArray from = QFile::encodeName(source);
    const QByteArray to = QFile::encodeName(destination);
    const QByteArray part = to + ".part";
    Descriptor in(::open(from.constData(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0)
        return errno;
    Descriptor out(::open(part.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (out.get() < 0)
        return errno;
    int error = copyContents(in.get(), out.get());
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

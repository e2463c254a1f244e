#include "core/regularfile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace skywell
{

namespace
{
QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("it is a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("it is a named pipe (FIFO)");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("it is a device");
    if (S_ISSOCK(mode))
        return QStringLiteral("it is a socket");
    return QStringLiteral("it is not a regular file");
}
} // namespace

QString systemErrorText(int error)
{
    char buffer[256] = {};
    // The GNU strerror_r returns the text, which need not be in buffer.
    return QString::fromLocal8Bit(::strerror_r(error, buffer, sizeof buffer));
}

RegularFile::RegularFile(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    // A device is not even opened: opening one can have effects of its own.
    struct stat before {
    };
    if (::stat(native.constData(), &before) == 0 && !S_ISREG(before.st_mode)) {
        m_notRegular = true;
        m_problem = kindOf(before.st_mode);
        return;
    }
    // O_NONBLOCK: should a FIFO take the file's place after the check,
    // opening it for reading would otherwise wait for a writer for ever.
    // It changes nothing for a regular file.
    m_fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (m_fd < 0) {
        const int error = errno;
        struct stat link {
        };
        m_missing = error == ENOENT && ::lstat(native.constData(), &link) != 0;
        m_problem = systemErrorText(error);
        return;
    }
    struct stat info {
    };
    if (::fstat(m_fd, &info) != 0) {
        m_problem = systemErrorText(errno);
    } else if (!S_ISREG(info.st_mode)) {
        m_notRegular = true;
        m_problem = kindOf(info.st_mode);
    } else {
        m_size = static_cast<qint64>(info.st_size);
        return;
    }
    ::close(m_fd);
    m_fd = -1;
}

RegularFile::~RegularFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool RegularFile::read(qint64 maxBytes, QByteArray *data)
{
    data->clear();
    if (m_fd < 0)
        return false;
    data->resize(static_cast<qsizetype>(std::min(maxBytes, std::max<qint64>(m_size, 4096))));
    qint64 got = 0;
    while (got < maxBytes) {
        if (got == data->size())
            data->resize(static_cast<qsizetype>(std::min(maxBytes, got * 2)));
        const ssize_t n = ::pread(m_fd, data->data() + got, static_cast<size_t>(data->size() - got), got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            m_problem = systemErrorText(errno);
            data->clear();
            return false;
        }
        if (n == 0)
            break;
        got += n;
    }
    data->truncate(static_cast<qsizetype>(got));
    return true;
}

} // namespace skywell

#include "imagefile.h"

#include "core/fdwrite.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace skywell::cdwrite
{

ImageFile::ImageFile(QString path) : m_path(std::move(path)), m_partPath(m_path + QStringLiteral(".part"))
{
}

ImageFile::~ImageFile()
{
    if (!m_committed)
        discard();
}

bool ImageFile::fail(int error)
{
    m_error = error ? error : EIO;
    return false;
}

bool ImageFile::open()
{
    m_fd = ::open(QFile::encodeName(m_partPath).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return m_fd >= 0 || fail(errno);
}

bool ImageFile::write(const QByteArray &bytes)
{
    if (m_fd < 0)
        return fail(EBADF);
    const int error = writeFully(m_fd, bytes.constData(), std::size_t(bytes.size()));
    return error == 0 || fail(error);
}

bool ImageFile::writeZeros(qint64 count)
{
    const QByteArray zeros(std::min<qint64>(count, 1 << 16), '\0');
    for (qint64 left = count; left > 0; left -= zeros.size()) {
        if (!write(left >= zeros.size() ? zeros : zeros.left(left)))
            return false;
    }
    return true;
}

bool ImageFile::finish()
{
    if (m_fd < 0)
        return fail(EBADF);
    // A full disk or a failing device may only show at the flush or close.
    const bool synced = ::fsync(m_fd) == 0;
    const int syncError = errno;
    const bool closed = ::close(m_fd) == 0;
    const int closeError = errno;
    m_fd = -1;
    if (!synced)
        return fail(syncError);
    return closed || fail(closeError);
}

bool ImageFile::commit()
{
    if (::rename(QFile::encodeName(m_partPath).constData(), QFile::encodeName(m_path).constData()) != 0)
        return fail(errno);
    m_committed = true;
    return true;
}

void ImageFile::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    ::unlink(QFile::encodeName(m_partPath).constData());
    if (m_committed) {
        ::unlink(QFile::encodeName(m_path).constData());
        m_committed = false;
    }
}

QString ImageFile::errorText() const
{
    return QStringLiteral("Cannot write the image file %1: %2")
        .arg(m_path, QString::fromLocal8Bit(std::strerror(m_error)));
}

} // namespace skywell::cdwrite

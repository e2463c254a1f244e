#include "recording/outputfile.h"

#include "core/fdwrite.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace skywell
{

OutputFile::~OutputFile()
{
    close();
}

bool OutputFile::create(const QString &path)
{
    close();
    m_errno = 0;
    const QByteArray name = QFile::encodeName(path);
    m_fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (m_fd < 0) {
        m_errno = errno;
        return false;
    }
    m_end = 0;
    m_lastSync = std::chrono::steady_clock::now();
    return true;
}

bool OutputFile::writeAll(const void *data, std::size_t bytes)
{
    if (m_fd < 0 || m_gone)
        return false;
    if (const int error = writeFully(m_fd, data, bytes)) {
        m_errno = error;
        // Part of a block would shift all that follows (a WAV file's sample
        // frames, an MP3 frame). Shrinking a file needs no space; should it
        // fail all the same, later writes follow the partial bytes.
        if (::ftruncate(m_fd, off_t(m_end)) == 0)
            ::lseek(m_fd, off_t(m_end), SEEK_SET);
        return false;
    }
    m_end += bytes;
    if (std::chrono::steady_clock::now() - m_lastSync >= kSyncInterval)
        syncNow();
    return !m_gone;
}

bool OutputFile::skipTo(std::uint64_t offset)
{
    if (m_fd < 0 || m_end != 0 || ::lseek(m_fd, off_t(offset), SEEK_SET) < 0)
        return false;
    m_end = offset;
    return true;
}

bool OutputFile::stillLinked()
{
    struct stat st;
    if (::fstat(m_fd, &st) == 0 && st.st_nlink == 0) {
        m_gone = true;
        m_errno = ENOENT;
    }
    return !m_gone;
}

bool OutputFile::writeAt(std::uint64_t offset, const void *data, std::size_t bytes)
{
    if (m_fd < 0)
        return false;
    if (const int error = writeFully(m_fd, data, bytes, offset)) {
        m_errno = error;
        return false;
    }
    return true;
}

void OutputFile::syncNow()
{
    // A failed sync shows up again in the final one at close.
    ::fdatasync(m_fd);
    m_lastSync = std::chrono::steady_clock::now();
    stillLinked();
}

bool OutputFile::close()
{
    if (m_fd < 0)
        return true;
    // No sync here: the last few seconds since the periodic one reach the
    // disk with the kernel's own write-back, as with any closed file.
    bool ok = stillLinked();
    if (::close(m_fd) != 0) {
        m_errno = errno;
        ok = false;
    }
    m_fd = -1;
    m_gone = false;
    return ok;
}

} // namespace skywell

#include "core/programfolderlock.h"

#include "core/folders.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace skywell
{

ProgramFolderLock::ProgramFolderLock(const QString &programFolder)
    : m_folder(programFolder), m_path(withTrailingSeparator(programFolder) + QStringLiteral("skywell.lock"))
{
}

ProgramFolderLock::~ProgramFolderLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

ProgramFolderLock::State ProgramFolderLock::fail(const QString &what)
{
    m_error = QStringLiteral("%1 %2: %3").arg(what, m_path, QString::fromLocal8Bit(std::strerror(errno)));
    return State::Error;
}

int ProgramFolderLock::openLockFile(bool create)
{
    const QByteArray native = QFile::encodeName(m_path);
    // Close-on-exec: a converter or helper that outlives the program must
    // not keep the lock.
    const int flags = O_CLOEXEC | O_NOFOLLOW;
    int fd = ::open(native.constData(), flags | O_RDWR | (create ? O_CREAT : 0), 0644);
    if (fd < 0 && errno == EACCES) {
        // flock() needs no write access; an unreadable lock of our own is
        // made readable again.
        fd = ::open(native.constData(), flags | O_RDONLY);
        struct stat info {
        };
        if (fd < 0 && errno == EACCES && ::stat(native.constData(), &info) == 0 && info.st_uid == ::geteuid() &&
            ::chmod(native.constData(), 0644) == 0)
            fd = ::open(native.constData(), flags | O_RDWR);
        else if (fd < 0)
            errno = EACCES;
    }
    return fd;
}

ProgramFolderLock::State ProgramFolderLock::acquire()
{
    if (m_fd >= 0)
        return State::Held;
    if (!createFolder(m_folder)) {
        m_error = QStringLiteral("cannot create the program folder %1").arg(m_folder);
        return State::Error;
    }
    const int fd = openLockFile(true);
    if (fd < 0)
        return fail(QStringLiteral("cannot open the lock file"));
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return error == EWOULDBLOCK ? State::Taken : fail(QStringLiteral("cannot lock"));
    }
    m_fd = fd;
    // The process id, for whoever looks; the lock itself is the flock.
    const QByteArray pid = QByteArray::number(::getpid()) + '\n';
    if (::ftruncate(fd, 0) == 0 && ::write(fd, pid.constData(), size_t(pid.size())) < 0) {
        // A read-only lock file still locks.
    }
    return State::Held;
}

ProgramFolderLock::State ProgramFolderLock::probe()
{
    if (m_fd >= 0)
        return State::Held;
    const int fd = openLockFile(false);
    if (fd < 0)
        return errno == ENOENT ? State::Free : fail(QStringLiteral("cannot open the lock file"));
    State state = State::Free;
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0)
        state = errno == EWOULDBLOCK ? State::Taken : fail(QStringLiteral("cannot check the lock"));
    ::close(fd); // drops the shared lock, if it was taken
    return state;
}

} // namespace skywell

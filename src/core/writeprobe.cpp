#include "core/writeprobe.h"

#include "core/fdwrite.h"
#include "core/regularfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace skywell
{

namespace
{
// 0 when a file can be created, filled and flushed in the folder.
int tryCreateIn(const QString &folder)
{
    QByteArray probe = QFile::encodeName(folder + QStringLiteral("/.skywell-probe-XXXXXX"));
    const int fd = ::mkostemp(probe.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    const QByteArray block(4096, '\n');
    int error = writeFully(fd, block.constData(), static_cast<std::size_t>(block.size()));
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    ::close(fd);
    ::unlink(probe.constData());
    return error;
}
} // namespace

QString whyCannotWrite(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    struct stat info {
    };
    if (::stat(QFile::encodeName(absolute).constData(), &info) == 0 && S_ISDIR(info.st_mode))
        return systemErrorText(EISDIR);
    // Walk up to the nearest thing that exists on the way to the file.
    QString folder = QFileInfo(absolute).absolutePath();
    while (::stat(QFile::encodeName(folder).constData(), &info) != 0) {
        if (errno != ENOENT)
            return systemErrorText(errno);
        const QString parent = QFileInfo(folder).absolutePath();
        if (parent == folder)
            break;
        folder = parent;
    }
    if (!S_ISDIR(info.st_mode))
        return systemErrorText(ENOTDIR);
    // access() also reports a read-only file system, even to root.
    if (::access(QFile::encodeName(folder).constData(), W_OK | X_OK) != 0)
        return systemErrorText(errno);
    if (const int error = tryCreateIn(folder))
        return systemErrorText(error);
    return QStringLiteral("the file could not be written");
}

} // namespace skywell

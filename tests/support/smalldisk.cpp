#include "support/smalldisk.h"

#include <QFile>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>
#include <vector>

namespace skywell::test
{

namespace
{
const QString kFiller = QStringLiteral(".filler");
}

SmallDisk::SmallDisk(int megabytes)
{
    const QByteArray options = "size=" + QByteArray::number(megabytes) + "m";
    m_mounted = ::mount("tmpfs", QFile::encodeName(path()).constData(), "tmpfs", 0, options.constData()) == 0;
}

SmallDisk::~SmallDisk()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(path()).constData(), MNT_DETACH);
}

void SmallDisk::fill()
{
    const int fd =
        ::open(QFile::encodeName(file(kFiller)).constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    // Large pieces first, then single bytes for the last partial page.
    const std::vector<char> zeros(64 * 1024, 0);
    for (std::size_t piece = zeros.size(); piece > 0; piece /= 16)
        while (::write(fd, zeros.data(), piece) > 0) {
        }
    ::close(fd);
}

void SmallDisk::emptyAgain()
{
    QFile::remove(file(kFiller));
}

} // namespace skywell::test

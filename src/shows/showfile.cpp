#include "shows/showfile.h"

#include "core/fdwrite.h"
#include "core/regularfile.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace skywell
{

void appendShowRecords(ShowList &shows, const char *data, std::size_t size)
{
    std::size_t offset = 0;
    while (offset < size) {
        Show show;
        const std::int16_t serial = show.serial;
        const std::size_t n = std::min(kShowRecordSize, size - offset);
        std::memcpy(static_cast<void *>(&show), data + offset, n);
        show.serial = serial;
        show.reserved956 = -1;
        shows.push_back(show);
        offset += n;
    }
}

ShowFileLoad loadShowFile(ShowList &shows, const QString &path, QString *problem)
{
    auto refuse = [problem](const QString &why) {
        if (problem)
            *problem = why;
        return ShowFileLoad::Refused;
    };
    RegularFile file(path);
    if (file.missing())
        return ShowFileLoad::Missing;
    if (!file.isOpen())
        return refuse(file.problem());
    const QString tooLarge = QStringLiteral("it is larger than a show list can be (%1 bytes)").arg(kMaxShowFileBytes);
    if (file.size() > kMaxShowFileBytes)
        return refuse(tooLarge);
    // One byte more than allowed tells a file that grew while it was read.
    QByteArray data;
    if (!file.read(kMaxShowFileBytes + 1, &data))
        return refuse(file.problem());
    if (data.size() > kMaxShowFileBytes)
        return refuse(tooLarge);
    appendShowRecords(shows, data.constData(), static_cast<std::size_t>(data.size()));
    return ShowFileLoad::Loaded;
}

bool loadShows(ShowList &shows, const QString &programFolder)
{
    return loadShowFile(shows, programFolder + kShowFileName) == ShowFileLoad::Loaded;
}

namespace
{
// The mode of the file a save replaces, so that the new one keeps it.
mode_t modeToKeep(const QByteArray &target)
{
    struct stat info {
    };
    if (::stat(target.constData(), &info) == 0 && S_ISREG(info.st_mode))
        return info.st_mode & 07777;
    return 0644;
}

} // namespace

bool saveShowFile(const ShowList &shows, const QString &path, QString *problem)
{
    const QByteArray target = QFile::encodeName(path);
    QByteArray temp = target + ".XXXXXX";
    int error = 0;
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        error = errno;
    } else {
        const auto bytes = reinterpret_cast<const char *>(shows.data());
        error = writeFully(fd, bytes, shows.size() * kShowRecordSize);
        // The data must be on the disk before the rename makes it the list.
        if (error == 0 && ::fchmod(fd, modeToKeep(target)) != 0)
            error = errno;
        if (error == 0 && ::fsync(fd) != 0)
            error = errno;
        if (::close(fd) != 0 && error == 0)
            error = errno;
        if (error == 0 && ::rename(temp.constData(), target.constData()) != 0)
            error = errno;
        if (error != 0)
            ::unlink(temp.constData());
    }
    if (error != 0) {
        if (problem)
            *problem = systemErrorText(error);
        return false;
    }
    syncFolder(QFileInfo(path).absolutePath());
    return true;
}

bool saveShows(const ShowList &shows, const QString &programFolder)
{
    return saveShowFile(shows, programFolder + kShowFileName);
}

} // namespace skywell

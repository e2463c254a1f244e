#include "shows/showfile.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cstring>
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

bool loadShows(ShowList &shows, const QString &programFolder)
{
    QFile file(programFolder + kShowFileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Read record by record so a huge or endless file cannot exhaust
    // memory in one allocation.
    QByteArray record(static_cast<qsizetype>(kShowRecordSize), '\0');
    for (;;) {
        qsizetype got = 0;
        while (got < record.size()) {
            const qint64 n = file.read(record.data() + got, record.size() - got);
            if (n <= 0)
                break;
            got += static_cast<qsizetype>(n);
        }
        if (got == 0)
            break;
        appendShowRecords(shows, record.constData(), static_cast<std::size_t>(got));
        if (got < record.size())
            break;
    }
    return true;
}

bool saveShows(const ShowList &shows, const QString &programFolder)
{
    QSaveFile file(programFolder + kShowFileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (const Show &show : shows) {
        const qint64 size = static_cast<qint64>(kShowRecordSize);
        if (file.write(reinterpret_cast<const char *>(&show), size) != size) {
            file.cancelWriting();
            return false;
        }
    }
    // The data must be on the disk before the rename makes it the list.
    if (!file.flush() || ::fsync(file.handle()) != 0) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace skywell

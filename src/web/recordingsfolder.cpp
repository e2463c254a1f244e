#include "web/recordingsfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace skywell
{

namespace
{

const QHash<QString, QByteArray> &mimeTypes()
{
    static const QHash<QString, QByteArray> types{
        {QStringLiteral("mp3"), "audio/mpeg"},      {QStringLiteral("wav"), "audio/wav"},
        {QStringLiteral("aac"), "audio/aac"},       {QStringLiteral("m4a"), "audio/mp4"},
        {QStringLiteral("ogg"), "audio/ogg"},       {QStringLiteral("oga"), "audio/ogg"},
        {QStringLiteral("opus"), "audio/ogg"},      {QStringLiteral("flac"), "audio/flac"},
        {QStringLiteral("m3u"), "audio/x-mpegurl"}, {QStringLiteral("pls"), "audio/x-scpls"},
    };
    return types;
}

} // namespace

QStringList RecordingsFolder::list() const
{
    if (m_folder.isEmpty())
        return {};
    QStringList names;
    const QDir dir(m_folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name))
        if (mimeTypes().contains(QFileInfo(name).suffix().toLower()))
            names << name;
    return names;
}

QString RecordingsFolder::resolve(const QString &name) const
{
    if (name.isEmpty() || !list().contains(name))
        return {};
    // A link may stay only when it leads to a file of the folder itself.
    const QString folder = QFileInfo(m_folder).canonicalFilePath();
    const QFileInfo target(QFileInfo(QDir(m_folder).filePath(name)).canonicalFilePath());
    if (folder.isEmpty() || target.filePath().isEmpty() || target.absolutePath() != folder)
        return {};
    return target.filePath();
}

int RecordingsFolder::open(const QString &name, qint64 *size) const
{
    const QString path = resolve(name);
    if (path.isEmpty())
        return -1;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    struct stat info {
    };
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    *size = info.st_size;
    return fd;
}

bool RecordingsFolder::remove(const QString &name) const
{
    // The entry itself goes, not what a link inside the folder leads to.
    return !resolve(name).isEmpty() && QFile::remove(QDir(m_folder).filePath(name));
}

QByteArray RecordingsFolder::mimeType(const QString &name)
{
    return mimeTypes().value(QFileInfo(name).suffix().toLower(), "application/octet-stream");
}

ByteRange parseByteRange(const QByteArray &header, qint64 size)
{
    ByteRange whole{ByteRange::Whole, 0, size};
    const QByteArray text = header.trimmed();
    if (!text.startsWith("bytes=") || text.contains(','))
        return whole;
    const QByteArray range = text.mid(6).trimmed();
    const qsizetype dash = range.indexOf('-');
    if (dash < 0)
        return whole;
    const QByteArray first = range.left(dash).trimmed();
    const QByteArray last = range.mid(dash + 1).trimmed();
    bool okFirst = false;
    bool okLast = false;
    const qint64 from = first.toLongLong(&okFirst);
    const qint64 to = last.toLongLong(&okLast);
    if (first.isEmpty()) { // the last N bytes
        if (!okLast || to < 0)
            return whole;
        if (to == 0 || size == 0)
            return {ByteRange::Unsatisfiable, 0, 0};
        const qint64 length = qMin(to, size);
        return {ByteRange::Part, size - length, length};
    }
    if (!okFirst || from < 0 || (!last.isEmpty() && (!okLast || to < from)))
        return whole;
    if (from >= size)
        return {ByteRange::Unsatisfiable, 0, 0};
    const qint64 end = last.isEmpty() ? size - 1 : qMin(to, size - 1);
    return {ByteRange::Part, from, end - from + 1};
}

} // namespace skywell

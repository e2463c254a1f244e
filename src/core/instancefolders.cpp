#include "core/instancefolders.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace skywell
{

QString privateFolderProblem(const QString &folder, bool ownerOnly, bool followLink)
{
    const QByteArray native = QFile::encodeName(folder);
    struct stat info {
    };
    const int result = followLink ? ::stat(native.constData(), &info) : ::lstat(native.constData(), &info);
    if (result != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (!S_ISDIR(info.st_mode))
        return QStringLiteral("not a folder");
    if (info.st_uid != ::geteuid())
        return QStringLiteral("it belongs to user %1").arg(info.st_uid);
    if (ownerOnly && (info.st_mode & 077) != 0)
        return QStringLiteral("other users may use it (mode %1)").arg(info.st_mode & 0777, 3, 8, QLatin1Char('0'));
    if (!ownerOnly && (info.st_mode & 022) != 0)
        return QStringLiteral("other users may write to it (mode %1)").arg(info.st_mode & 0777, 3, 8, QLatin1Char('0'));
    if (::access(native.constData(), W_OK | X_OK) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

namespace
{
QString socketName(const QString &programFolder)
{
    const QByteArray hash = QCryptographicHash::hash(programFolder.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    return QStringLiteral("skywell-%1-%2.sock").arg(::geteuid()).arg(QString::fromLatin1(hash));
}
} // namespace

SocketPlace instanceSocketPlace(const QString &programFolder)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && privateFolderProblem(runtime, false, true).isEmpty())
        return {QDir(runtime).filePath(socketName(programFolder)), {}};

    // No usable runtime folder (unset, removed, read-only): a folder of our
    // own in the temporary folder, whose name others can guess.
    const QString folder = QDir::tempPath() + QStringLiteral("/skywell-%1").arg(::geteuid());
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST)
        return {{}, QStringLiteral("cannot create %1: %2").arg(folder, QString::fromLocal8Bit(std::strerror(errno)))};
    const QString problem = privateFolderProblem(folder, true, false);
    if (!problem.isEmpty())
        return {{}, QStringLiteral("cannot use %1: %2").arg(folder, problem)};
    return {folder + QLatin1Char('/') + socketName(programFolder), {}};
}

} // namespace skywell

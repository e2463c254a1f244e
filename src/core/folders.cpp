#include "core/folders.h"

#include <QDir>

#include <sys/stat.h>
#include <unistd.h>

namespace skywell
{

QString withTrailingSeparator(const QString &folder)
{
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QLatin1Char('/');
}

bool folderExists(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QByteArray native = QFile::encodeName(path);
    struct stat info {
    };
    if (::stat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    return ::access(native.constData(), X_OK) == 0;
}

bool createFolder(const QString &path)
{
    return QDir().mkpath(path) && folderExists(path);
}

QString programFolderFromEnvironment()
{
    QString folder = qEnvironmentVariable("SKYWELL_HOME");
    if (folder.isEmpty()) {
        QString data = qEnvironmentVariable("XDG_DATA_HOME");
        if (data.isEmpty() || !QDir::isAbsolutePath(data))
            data = homeFolder() + QStringLiteral("/.local/share");
        folder = data + QStringLiteral("/Skywell");
    }
    return withTrailingSeparator(QDir::cleanPath(QDir(folder).absolutePath()));
}

QString homeFolder()
{
    const QString home = qEnvironmentVariable("HOME");
    if (home.isEmpty() || !QDir::isAbsolutePath(home) || QDir::cleanPath(home) == QLatin1String("/"))
        return QString();
    return QDir::cleanPath(home);
}

QString missingHomeMessage()
{
    if (!qEnvironmentVariableIsEmpty("SKYWELL_HOME") || !homeFolder().isEmpty())
        return QString();
    return QStringLiteral("There is no home folder (HOME is not set, or is \"/\") and SKYWELL_HOME is not set, so "
                          "there is no place for the show list, the settings and the log. Set HOME, or set "
                          "SKYWELL_HOME to the folder Skywell is to use.");
}

} // namespace skywell

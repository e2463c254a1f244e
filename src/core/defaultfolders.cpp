#include "core/defaultfolders.h"

#include "core/folders.h"

#include <QDir>
#include <QStandardPaths>

namespace skywell
{

namespace
{
QString cleanFolder(const QString &path)
{
    return withTrailingSeparator(QDir::cleanPath(path));
}
} // namespace

FolderEnvironment folderEnvironment(const QString &programFolder)
{
    FolderEnvironment environment;
    environment.home = homeFolder();
    // Qt reads the same user-dirs.dirs as xdg-user-dir, and falls back to
    // ~/Music the same way; without a home it would make up a path.
    if (!environment.home.isEmpty())
        environment.musicFolder = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    environment.cacheHome = qEnvironmentVariable("XDG_CACHE_HOME");
    environment.programFolder = programFolder;
    return environment;
}

QString defaultRecordingsFolder(const FolderEnvironment &environment)
{
    if (QDir::isAbsolutePath(environment.musicFolder) && QDir::cleanPath(environment.musicFolder) != QLatin1String("/"))
        return cleanFolder(environment.musicFolder + QStringLiteral("/Skywell"));
    if (!environment.home.isEmpty())
        return cleanFolder(environment.home + QStringLiteral("/Music/Skywell"));
    return cleanFolder(environment.programFolder + QStringLiteral("Recordings"));
}

QString defaultTempFolder(const FolderEnvironment &environment)
{
    // "skywell" in the cache, "Skywell" among the music: never one folder.
    if (QDir::isAbsolutePath(environment.cacheHome) && QDir::cleanPath(environment.cacheHome) != QLatin1String("/"))
        return cleanFolder(environment.cacheHome + QStringLiteral("/skywell"));
    if (!environment.home.isEmpty())
        return cleanFolder(environment.home + QStringLiteral("/.cache/skywell"));
    return cleanFolder(environment.programFolder + QStringLiteral("Temp"));
}

} // namespace skywell

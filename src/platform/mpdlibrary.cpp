#include "platform/mpdlibrary.h"

#include "core/activitylog.h"
#include "core/folders.h"
#include "core/settingsstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <mpd/client.h>

namespace skywell
{

namespace
{

// Replaces target by a copy of source, never leaving half a file under the
// target's name.
bool copyReplacing(const QString &source, const QString &target)
{
    const QString partial = target + QStringLiteral(".part");
    QFile::remove(partial);
    if (!QFile::copy(source, partial))
        return false;
    QFile::remove(target);
    return QFile::rename(partial, target);
}

} // namespace

void MpdLibrary::ConnectionFree::operator()(mpd_connection *connection) const
{
    mpd_connection_free(connection);
}

MpdLibrary::MpdLibrary(const SettingsStore &settingsStore, ActivityLog &log)
    : m_settingsStore(settingsStore), m_log(log)
{
}

MpdLibrary::~MpdLibrary() = default;

MpdLibrary::Connection MpdLibrary::connect() const
{
    const QString host = m_settingsStore.readString(MusicLibraryNames::host, SettingsGroup::Program).trimmed();
    if (host.isEmpty())
        return {};
    const int port = m_settingsStore.readIntValue(MusicLibraryNames::port, SettingsGroup::Program)
                         .value_or(MusicLibraryNames::defaultPort);
    Connection connection(mpd_connection_new(host.toUtf8().constData(), static_cast<unsigned>(port), kTimeoutMs));
    if (!connection || mpd_connection_get_error(connection.get()) != MPD_ERROR_SUCCESS)
        return {};
    const QString password = m_settingsStore.readString(MusicLibraryNames::password, SettingsGroup::Program);
    if (!password.isEmpty() && !mpd_run_password(connection.get(), password.toUtf8().constData()))
        return {};
    return connection;
}

bool MpdLibrary::isMusicLibraryInstalled()
{
    return connect() != nullptr;
}

bool MpdLibrary::openMusicLibrary()
{
    m_connection = connect();
    return m_connection != nullptr;
}

void MpdLibrary::addToMusicLibrary(const QString &path)
{
    if (!m_connection)
        return;
    QString folder = m_settingsStore.readString(MusicLibraryNames::folder, SettingsGroup::Program);
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    QString subfolder = m_settingsStore.readString(MusicLibraryNames::subfolder, SettingsGroup::Program);
    if (subfolder.isEmpty())
        subfolder = MusicLibraryNames::defaultSubfolder;

    const QString targetFolder = withTrailingSeparator(folder) + withTrailingSeparator(subfolder);
    const QString name = QFileInfo(path).fileName();
    if (!createFolder(targetFolder) || !copyReplacing(path, targetFolder + name)) {
        m_log.logLine(QStringLiteral("Cannot copy into the music library:"), targetFolder + name);
        return;
    }
    // MPD names files by their path inside its music folder.
    const QString uri = withTrailingSeparator(subfolder) + name;
    if (mpd_run_update(m_connection.get(), uri.toUtf8().constData()) == 0) {
        m_log.logLine(QStringLiteral("Music library update failed:"),
                      QString::fromUtf8(mpd_connection_get_error_message(m_connection.get())));
        if (!mpd_connection_clear_error(m_connection.get()))
            m_connection = connect();
    }
}

void MpdLibrary::closeMusicLibrary()
{
    // MPD is the user's music server: it stays running, only our
    // connection ends.
    m_connection.reset();
}

} // namespace skywell

#pragma once

#include "postprocess/musiclibrary.h"

#include <memory>

struct mpd_connection;

namespace skywell
{

class ActivityLog;
class SettingsStore;

// The music library of a Music Player Daemon. A recording is copied into a
// subfolder of MPD's music folder and MPD is asked to read it into its
// database. Host, port, password and folders come from the settings store.
class MpdLibrary final : public MusicLibrary
{
public:
    MpdLibrary(const SettingsStore &settingsStore, ActivityLog &log);
    ~MpdLibrary() override;

    bool isMusicLibraryInstalled() override;
    bool openMusicLibrary() override;
    void addToMusicLibrary(const QString &path) override;
    void closeMusicLibrary() override;

    static constexpr unsigned kTimeoutMs = 5000;

private:
    struct ConnectionFree {
        void operator()(mpd_connection *connection) const;
    };
    using Connection = std::unique_ptr<mpd_connection, ConnectionFree>;

    Connection connect() const;

    const SettingsStore &m_settingsStore;
    ActivityLog &m_log;
    Connection m_connection;
};

} // namespace skywell

#pragma once

#include "postprocess/musiclibrary.h"

#include <memory>

struct mpd_connection;

namespace skywell
{

class ActivityLog;
class Registry;

// The music library of a Music Player Daemon. A recording is copied into a
// subfolder of MPD's music folder and MPD is asked to read it into its
// database. Host, port, password and folders come from the settings store.
class MpdLibrary final : public MusicLibrary
{
public:
    MpdLibrary(const Registry &registry, ActivityLog &log);
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

    const Registry &m_registry;
    ActivityLog &m_log;
    Connection m_connection;
};

} // namespace skywell

#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

struct mpv_handle;
struct mpv_event;

namespace skywell::tuner
{

// Plays one address to the default audio output through libmpv: HTTP
// redirects, .pls and .m3u playlists, MP3, AAC, Ogg and Opus streams, the
// station's ICY stream title. Connects and reads with a time-out, and
// connects again by itself whenever the stream drops or cannot be opened.
// Audio only: no video window, no user configuration (a setting there
// could change what is recorded).
class StreamPlayer final : public QObject
{
    Q_OBJECT
public:
    explicit StreamPlayer(QObject *parent = nullptr);
    ~StreamPlayer() override;

    // Empty on success, else why the player cannot work at all.
    QString initialize();

    void play(const QString &address);
    void stop();
    bool isStopped() const { return m_stopped; }
    // 0 to 100 percent.
    void setVolume(int percent);
    int volume() const { return m_volume; }

    QString streamTitle() const { return m_title; }
    QString address() const { return m_address; }
    // The station's name (the Show's), shown while the stream gives none.
    void setStationName(const QString &name) { m_stationName = name; }

    // Seconds before a connection or a silent server is given up.
    static constexpr int kNetworkTimeoutSeconds = 10;

Q_SIGNALS:
    void statusChanged(const QString &text);
    void streamTitleChanged(const QString &title);
    // A failure worth a line in the log (not repeated while it lasts).
    void failed(const QString &reason);

private:
    void drainEvents();
    void handleEvent(const mpv_event &event);
    void loadAddress();
    void scheduleRetry(const QString &reason);
    void setStatus(const QString &text);
    QString playingText() const;

    mpv_handle *m_mpv = nullptr;
    QString m_address;
    QString m_title;
    QString m_stationName;
    QString m_lastFailure;
    // Why the last entry ended, for the status when nothing is left.
    QString m_lastEnd;
    QTimer m_retry;
    int m_retryDelaySeconds = 0;
    int m_volume = 100;
    bool m_stopped = true;
    bool m_playing = false;
    // An address was given to the library (its idle state before that is
    // no failure).
    bool m_loaded = false;
};

} // namespace skywell::tuner

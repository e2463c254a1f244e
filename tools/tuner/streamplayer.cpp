#include "streamplayer.h"

#include <QMetaObject>
#include <QPointer>

#include <mpv/client.h>

#include <algorithm>

namespace skywell::tuner
{

namespace
{

constexpr int kFirstRetrySeconds = 2;
constexpr int kLongestRetrySeconds = 15;

enum Observed : std::uint64_t { kIcyTitle = 1, kIcyName, kIdle, kPaused };

QString endReason(const mpv_event_end_file &end)
{
    if (end.reason == MPV_END_FILE_REASON_ERROR)
        return QString::fromUtf8(mpv_error_string(end.error));
    return QStringLiteral("the stream ended");
}

} // namespace

StreamPlayer::StreamPlayer(QObject *parent) : QObject(parent)
{
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &StreamPlayer::loadAddress);
}

StreamPlayer::~StreamPlayer()
{
    if (m_mpv) {
        mpv_set_wakeup_callback(m_mpv, nullptr, nullptr);
        mpv_terminate_destroy(m_mpv);
    }
}

QString StreamPlayer::initialize()
{
    m_mpv = mpv_create();
    if (!m_mpv)
        return QStringLiteral("the playback library could not be set up");
    const std::pair<const char *, const char *> options[] = {
        {"config", "no"},
        {"terminal", "no"},
        {"video", "no"},
        {"vo", "null"},
        {"audio-display", "no"},
        {"ytdl", "no"},
        {"input-default-bindings", "no"},
        {"idle", "yes"},
        {"volume", "100"},
        {"volume-max", "100"},
        {"audio-client-name", "skywell-tuner"},
        {"network-timeout", "10"},
        // Let the stream library reconnect a dropped connection itself
        // first; when that fails too, the player starts over (below).
        {"stream-lavf-o", "reconnect=1,reconnect_streamed=1,reconnect_delay_max=4"},
        {"demuxer-max-bytes", "8MiB"},
        {"user-agent", "Skywell Tuner"},
    };
    for (const auto &[name, value] : options) {
        if (mpv_set_option_string(m_mpv, name, value) < 0)
            return QStringLiteral("the playback library refused the option %1").arg(QString::fromLatin1(name));
    }
    if (const int error = mpv_initialize(m_mpv); error < 0)
        return QString::fromUtf8(mpv_error_string(error));
    mpv_observe_property(m_mpv, kIcyTitle, "metadata/by-key/icy-title", MPV_FORMAT_STRING);
    mpv_observe_property(m_mpv, kIcyName, "metadata/by-key/icy-name", MPV_FORMAT_STRING);
    mpv_observe_property(m_mpv, kIdle, "idle-active", MPV_FORMAT_FLAG);
    mpv_observe_property(m_mpv, kPaused, "paused-for-cache", MPV_FORMAT_FLAG);
    // libmpv calls back from its own thread: the events are read on ours.
    mpv_set_wakeup_callback(
        m_mpv,
        [](void *context) {
            QMetaObject::invokeMethod(static_cast<StreamPlayer *>(context), &StreamPlayer::drainEvents,
                                      Qt::QueuedConnection);
        },
        this);
    return QString();
}

void StreamPlayer::play(const QString &address)
{
    m_address = address;
    m_stopped = false;
    m_retryDelaySeconds = 0;
    loadAddress();
}

void StreamPlayer::stop()
{
    m_stopped = true;
    m_retry.stop();
    const char *command[] = {"stop", nullptr};
    mpv_command_async(m_mpv, 0, command);
    m_playing = false;
    setStatus(QStringLiteral("Stopped"));
}

void StreamPlayer::setVolume(int percent)
{
    m_volume = std::clamp(percent, 0, 100);
    double value = m_volume;
    mpv_set_property_async(m_mpv, 0, "volume", MPV_FORMAT_DOUBLE, &value);
}

void StreamPlayer::loadAddress()
{
    if (m_stopped || !m_mpv)
        return;
    m_playing = false;
    const QByteArray address = m_address.toUtf8();
    const char *command[] = {"loadfile", address.constData(), "replace", nullptr};
    mpv_command_async(m_mpv, 0, command);
    setStatus(QStringLiteral("Connecting to %1").arg(m_stationName.isEmpty() ? m_address : m_stationName));
}

void StreamPlayer::scheduleRetry(const QString &reason)
{
    if (m_stopped || m_retry.isActive())
        return;
    m_playing = false;
    m_retryDelaySeconds =
        m_retryDelaySeconds == 0 ? kFirstRetrySeconds : std::min(m_retryDelaySeconds * 2, kLongestRetrySeconds);
    setStatus(
        QStringLiteral("Cannot play %1: %2; trying again in %3 s").arg(m_address, reason).arg(m_retryDelaySeconds));
    if (reason != m_lastFailure) {
        m_lastFailure = reason;
        Q_EMIT failed(reason);
    }
    m_retry.start(m_retryDelaySeconds * 1000);
}

void StreamPlayer::drainEvents()
{
    while (m_mpv) {
        const mpv_event *event = mpv_wait_event(m_mpv, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        handleEvent(*event);
    }
}

void StreamPlayer::handleEvent(const mpv_event &event)
{
    switch (event.event_id) {
    case MPV_EVENT_PLAYBACK_RESTART:
        if (!m_playing && !m_stopped) {
            m_playing = true;
            m_retryDelaySeconds = 0;
            m_lastFailure.clear();
            setStatus(playingText());
        }
        break;
    case MPV_EVENT_END_FILE: {
        const auto *end = static_cast<const mpv_event_end_file *>(event.data);
        // A playlist goes on with its next entry by itself; the idle state
        // below says when nothing is left to play.
        if (end->reason == MPV_END_FILE_REASON_ERROR || end->reason == MPV_END_FILE_REASON_EOF)
            m_lastEnd = endReason(*end);
        break;
    }
    case MPV_EVENT_PROPERTY_CHANGE: {
        const auto *property = static_cast<const mpv_event_property *>(event.data);
        if (event.reply_userdata == kIcyTitle || event.reply_userdata == kIcyName) {
            QString text;
            if (property->format == MPV_FORMAT_STRING && property->data)
                text = QString::fromUtf8(*static_cast<char **>(property->data)).trimmed();
            if (event.reply_userdata == kIcyName && (!m_title.isEmpty() || text.isEmpty()))
                break; // the station's name only stands in for a missing title
            if (text != m_title) {
                m_title = text;
                Q_EMIT streamTitleChanged(m_title);
                if (m_playing)
                    setStatus(playingText());
            }
        } else if (event.reply_userdata == kIdle && property->format == MPV_FORMAT_FLAG && property->data) {
            if (*static_cast<int *>(property->data) && !m_stopped && !m_address.isEmpty() && m_loaded)
                scheduleRetry(m_lastEnd.isEmpty() ? QStringLiteral("the stream ended") : m_lastEnd);
        } else if (event.reply_userdata == kPaused && property->format == MPV_FORMAT_FLAG && property->data) {
            if (*static_cast<int *>(property->data) && m_playing)
                setStatus(QStringLiteral("Waiting for the stream"));
            else if (m_playing)
                setStatus(playingText());
        }
        break;
    }
    case MPV_EVENT_START_FILE:
        m_loaded = true;
        m_lastEnd.clear();
        break;
    case MPV_EVENT_SHUTDOWN:
        mpv_set_wakeup_callback(m_mpv, nullptr, nullptr);
        break;
    default:
        break;
    }
}

QString StreamPlayer::playingText() const
{
    // The stream's own title, else the station as the Show names it.
    const QString name = m_title.isEmpty() ? m_stationName : m_title;
    return name.isEmpty() ? QStringLiteral("Playing") : QStringLiteral("Playing: %1").arg(name);
}

void StreamPlayer::setStatus(const QString &text)
{
    Q_EMIT statusChanged(text);
}

} // namespace skywell::tuner

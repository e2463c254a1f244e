#include "recording/tuningport.h"

#include "tuning/startedplayers.h"
#include "tuning/tuning.h"

namespace skywell
{

TuningPort::TuningPort(Tuning &tuning, const ShowList &shows) : m_tuning(tuning), m_shows(shows)
{
}

char TuningPort::addressOrigin(const QString &address) const
{
    const QByteArray bytes = address.toUtf8();
    char origin = kAddressTyped;
    for (const Show &show : m_shows) {
        if (show.addressOrigin != kAddressTyped && fieldBytes(show.url) == bytes)
            origin = show.addressOrigin;
    }
    return origin;
}

void TuningPort::tuneTo(const QString &address, char playerLetter, std::uint64_t recordingId, const QString &pulseSink,
                        bool captureWhenPlaying)
{
    TuningJob job;
    job.recordingId = recordingId;
    job.address = address;
    job.playerLetter = playerLetter;
    job.addressOrigin = addressOrigin(address);
    // The tuner names the station by the Show that has this address.
    const QByteArray bytes = address.toUtf8();
    for (const Show &show : m_shows) {
        if (fieldBytes(show.url) == bytes) {
            job.name = fieldText(show.name);
            break;
        }
    }
    job.playbackSink = pulseSink;
    job.reportStatus = false;
    job.captureWhenPlaying = captureWhenPlaying;
    m_tuning.startWorker(std::move(job));
}

void TuningPort::recordingStopped(std::uint64_t recordingId)
{
    m_tuning.recordingStopped(recordingId);
}

void TuningPort::closePlayers(std::uint64_t recordingId)
{
    m_tuning.closePlayers(recordingId);
}

void TuningPort::endStartedPlayers(std::uint64_t recordingId)
{
    m_tuning.endStartedPlayers(recordingId);
}

QList<qint64> TuningPort::playerProcessIds(std::uint64_t recordingId) const
{
    return m_tuning.startedPlayers().soundProcessIds(recordingId);
}

bool TuningPort::startsOwnPlayer(char playerLetter) const
{
    return m_tuning.startsOwnPlayer(playerLetter);
}

bool TuningPort::isOnline()
{
    return m_tuning.isOnline();
}

bool TuningPort::wasOnlineBeforeDial() const
{
    return m_tuning.wasOnlineBeforeDial();
}

void TuningPort::dial()
{
    m_tuning.dial();
}

void TuningPort::hangUp()
{
    m_tuning.hangUp();
}

} // namespace skywell

#pragma once

#include "recording/recordingports.h"
#include "shows/show.h"

namespace skywell
{

class Tuning;

// Tuning as the recording controller sees it. The controller shows its own
// status texts; the start-capture notification comes from
// Tuning::captureCanStart, which the program connects to the controller.
class TuningPort final : public StreamTuning
{
public:
    // shows is the Show list: an address found there as one taken from the
    // catalogue or the station directory is never run as a program.
    TuningPort(Tuning &tuning, const ShowList &shows);

    void tuneTo(const QString &address, char playerLetter, std::uint64_t recordingId, const QString &pulseSink,
                bool captureWhenPlaying) override;
    void recordingStopped(std::uint64_t recordingId) override;
    void closePlayers(std::uint64_t recordingId) override;
    void endStartedPlayers(std::uint64_t recordingId) override;
    QList<qint64> playerProcessIds(std::uint64_t recordingId) const override;
    bool startsOwnPlayer(char playerLetter) const override;
    bool isOnline() override;
    bool wasOnlineBeforeDial() const override;
    void dial() override;
    void hangUp() override;

    // The origin of an address: that of a Show in the list with it, taken
    // from a list rather than typed when any such Show was.
    char addressOrigin(const QString &address) const;

private:
    Tuning &m_tuning;
    const ShowList &m_shows;
};

} // namespace skywell

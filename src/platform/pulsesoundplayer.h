#pragma once

#include "mixer/soundplayer.h"

#include <chrono>

namespace skywell
{

// Plays a PCM WAV file on the sound server and returns when the server has
// played it: into the default sink (the speakers), or into the named sink.
// Every wait on the server has a time limit, so a server that stops
// answering fails the call instead of freezing the program.
class PulseSoundPlayer final : public SoundPlayer
{
public:
    static constexpr std::chrono::milliseconds kDefaultTimeout{5000};

    explicit PulseSoundPlayer(QString sink = QString(), std::chrono::milliseconds timeout = kDefaultTimeout)
        : m_sink(std::move(sink)), m_timeout(timeout)
    {
    }

    bool playToEnd(const QString &path, QString *error) override;

private:
    QString m_sink;
    std::chrono::milliseconds m_timeout;
};

} // namespace skywell

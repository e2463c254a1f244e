#pragma once

#include "mixer/soundplayer.h"

namespace skywell
{

// Plays a PCM WAV file on the sound server and returns when the server has
// played it: into the default sink (the speakers), or into the named sink.
class PulseSoundPlayer final : public SoundPlayer
{
public:
    explicit PulseSoundPlayer(QString sink = QString()) : m_sink(std::move(sink)) {}

    bool playToEnd(const QString &path, QString *error) override;

private:
    QString m_sink;
};

} // namespace skywell

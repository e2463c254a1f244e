#pragma once

#include <QString>

namespace skywell
{

// Plays a sound file through the speakers.
class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;
    // Plays the WAV file to its end and only then returns. False, with the
    // reason in error, when it could not be played.
    virtual bool playToEnd(const QString &path, QString *error) = 0;
};

} // namespace skywell

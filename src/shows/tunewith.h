#pragma once

#include <QString>

namespace skywell
{

// How a Show's stream is played, kept in its tunerKind letter (and handed
// to the tuner as "TunerType" 1, 2, 3): 'W' the desktop's media player,
// 'R' the player command of the settings, any other letter the Skywell
// Tuner. The editor's "Tune With: " list shows them in this order.
enum class TuneWith { SkywellTuner = 0, DesktopPlayer = 1, Command = 2 };

inline TuneWith tuneWithOf(char tunerKind)
{
    return tunerKind == 'W' ? TuneWith::DesktopPlayer : tunerKind == 'R' ? TuneWith::Command : TuneWith::SkywellTuner;
}

inline char tunerKindOf(TuneWith choice)
{
    return choice == TuneWith::DesktopPlayer ? 'W' : choice == TuneWith::Command ? 'R' : 'U';
}

inline QString tuneWithText(TuneWith choice)
{
    switch (choice) {
    case TuneWith::DesktopPlayer:
        return QStringLiteral("the desktop's media player");
    case TuneWith::Command:
        return QStringLiteral("a command");
    case TuneWith::SkywellTuner:
        break;
    }
    return QStringLiteral("Skywell Tuner");
}

} // namespace skywell

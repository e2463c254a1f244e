#pragma once

#include "core/settings.h"

#include <QString>

namespace skywell
{

// Values handed to the tuner tool under the Program settings group.
namespace TunerValueNames
{
inline const QString top = QStringLiteral("TunerTop");
inline const QString left = QStringLiteral("TunerLeft");
inline const QString right = QStringLiteral("TunerRight");
inline const QString url = QStringLiteral("TunerURL");
inline const QString type = QStringLiteral("TunerType");
} // namespace TunerValueNames

// The optional dial-up commands, command lines in the options profile
// (split like a "run:" address, run without a shell), e.g. "pon" and
// "poff". Empty: nothing is run.
namespace DialupValueNames
{
using SettingNames::dialCommand;
using SettingNames::hangUpCommand;
} // namespace DialupValueNames

// "TunerType": 3 for a 'R' player letter, 2 for 'W', 1 for any other.
// Only the Skywell Tuner choice (1) reaches the tuner; the other two
// start their own player (see StreamOpener).
inline int tunerTypeOf(char playerLetter)
{
    return playerLetter == 'R' ? 3 : playerLetter == 'W' ? 2 : 1;
}

// Where the tuner window goes: below the main window's normal rectangle.
struct TunerPlacement {
    int left = 0;
    int bottom = 0;
    int right = 0;
    bool minimized = false;
};

inline const QString kTunerProgramName = QStringLiteral("skywell-tuner");
// The argument that tells the tuner to start minimised like the main window.
inline const QString kTunerMinimizedArgument = QStringLiteral("--minimized");
// "--station=NAME": the Show's name, shown while the stream names nothing.
inline const QString kTunerStationArgument = QStringLiteral("--station=");

} // namespace skywell

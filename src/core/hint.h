#pragma once

#include <QString>

namespace skywell
{

class Prompter;
class SettingsStore;

// Shows a hint unless the user ticked "Don't show this hint again" for it
// before (the integer value of that name under the Program settings group).
void showHintOnce(const QString &valueName, const QString &text, SettingsStore &settingsStore, Prompter &prompter);

// The hints in use.
inline const QString kTuneHintName = QStringLiteral("TuneHint");
inline const QString kTuneHintText = QStringLiteral(
    "Please consider testing the URL for each show before recording. (Select the show, then click Tune to "
    "Show.)\n\nSome stations may require a one-time manual setup.");
inline const QString kNotPreferredHintName = QStringLiteral("NotPreferredHint");
inline const QString kNotPreferredHintText =
    QStringLiteral("Be sure to press Stop Recording to end this recording.  Recording will not end automatically.");
inline const QString kAddShowHintName = QStringLiteral("AddShowHint");
inline const QString kAddShowHintText = QStringLiteral("Hint:\n\nTo record a show, start by clicking \"Add Show\". ");

} // namespace skywell

#pragma once

#include "ui/settingspages.h"

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace skywell
{

class CdWriter;
class Prompter;
class RecordingSourceTest;

// The desktop's answers to the sheet's buttons: the sound-mixer program
// (pavucontrol when installed, otherwise a message saying so), the source
// test with the wait cursor, the CD writer's set-up and the user guide's
// file-name page on the web site (siteAddress; empty: a message says so).
// test and cdWriter are asked for when their button is pressed: the sheet
// may open while the program is still starting, before they exist (a
// message then says so).
SettingsSheetServices desktopSheetServices(Prompter &prompter, QStringList captureDevices,
                                           std::function<RecordingSourceTest *()> test,
                                           std::function<CdWriter *()> cdWriter, QString siteAddress);

// Starts the first sound-mixer program found; false when none is installed.
bool startSoundMixerProgram();

inline const QString kNoSoundMixerText =
    QStringLiteral("No sound settings program was found. Install \"pavucontrol\" (PulseAudio Volume Control) to "
                   "set the recording and playback levels.");
inline const QString kNoSiteAddressText =
    QStringLiteral("No web site address is set for Skywell, so the user guide cannot be opened.");
inline const QString kNotStartedText =
    QStringLiteral("Skywell is still starting. Please try again once its main window is shown.");
inline const QString kFileNamesHelpPage = QStringLiteral("/user_guide_500.php#file_names");

} // namespace skywell

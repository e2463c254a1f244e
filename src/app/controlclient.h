#pragma once

#include <QString>
#include <QStringList>

namespace skywell
{

class SettingsStore;

// Runs one command that manages Skywell (see parseControlCommandLine):
// hands it to the instance running on the program folder, or, with none
// running, does it on the Show file under the program folder's lock.
// Prints the answer (text or --json) and returns the exit status: 0 done,
// 1 nothing running where it must, 2 bad input.
int runControlCommand(const QStringList &args, const QString &programFolder, SettingsStore &settingsStore);

} // namespace skywell

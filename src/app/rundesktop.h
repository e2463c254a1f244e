#pragma once

#include <QString>

namespace skywell
{

class SettingsStore;
class RequestGate;
class SingleInstance;
struct CommandLine;

// Runs Skywell with its window until the user quits. Requests from
// outside come through requests, which this opens once the main loop runs;
// control requests over instance's socket are answered from then on too.
// Returns the exit code.
int runDesktop(const QString &programFolder, const CommandLine &commandLine, SettingsStore &settingsStore,
               RequestGate &requests, SingleInstance &instance);

} // namespace skywell

#pragma once

#include <QString>

namespace skywell
{

class SettingsStore;
class RequestGate;
class SingleInstance;
struct CommandLine;

// Runs Skywell without a desktop until it is asked to quit (a second start
// with "UNINSTALL", SIGTERM or SIGINT), which come through requests; this
// opens it once the main loop runs; so does the answering of control
// requests over instance's socket. Returns the exit code.
int runHeadless(const QString &programFolder, const CommandLine &commandLine, SettingsStore &settingsStore,
                RequestGate &requests, SingleInstance &instance);

} // namespace skywell

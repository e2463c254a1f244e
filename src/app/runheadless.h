#pragma once

#include <QString>

namespace skywell
{

class Registry;
class SingleInstance;
struct CommandLine;

// Runs Skywell without a desktop until it is asked to quit (a second start
// with "UNINSTALL", SIGTERM or SIGINT). Returns the exit code.
int runHeadless(const QString &programFolder, const CommandLine &commandLine, Registry &registry,
                SingleInstance &instance);

} // namespace skywell

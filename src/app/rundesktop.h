#pragma once

#include <QString>

namespace skywell
{

class Registry;
class SingleInstance;
struct CommandLine;

// Runs Skywell with its window until the user quits. Returns the exit code.
int runDesktop(const QString &programFolder, const CommandLine &commandLine, Registry &registry,
               SingleInstance &instance);

} // namespace skywell

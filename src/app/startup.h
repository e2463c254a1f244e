#pragma once

#include "core/commandline.h"

#include <QString>

namespace skywell
{

class SettingsStore;
class SingleInstance;

// What a start does before any window or log exists.
enum class StartDecision {
    Run,        // this is the only instance: go on
    HandedOver, // another instance took the request (or there was none to stop): end now
    Refused,    // the start cannot go on, or its request did not arrive: said on stderr and in the log
};

// Stores an import path for the running instance, stops it ("UNINSTALL"),
// or hands a second start's request to it.
StartDecision decideStart(const CommandLine &commandLine, SettingsStore &settingsStore, SingleInstance &instance,
                          const QString &programFolder);

} // namespace skywell

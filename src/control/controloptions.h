#pragma once

#include "control/controlservice.h"

#include <QString>
#include <QStringList>

namespace skywell
{

// "list", "add", "edit", "remove", "record", "stop", "status",
// "recordings": the first word of a command line that manages Skywell.
bool isControlCommand(const QString &word);

// One such command line, parsed: the request it sends, or the help it
// asks for, or why it cannot be sent (exit status 2).
struct ControlCommandLine {
    ControlRequest request;
    bool json = false; // print the answer's JSON instead of text
    bool help = false;
    QString problem;
};

// args excludes the program's name and begins with the command. Options
// take their value as the next word or after "=" (--at=21:00).
ControlCommandLine parseControlCommandLine(const QStringList &args);

// The --help text of a command.
QString controlHelpText(const QString &command);

} // namespace skywell

#pragma once

#include <QString>

#include <chrono>

namespace skywell
{

// Runs a user's command line (split with shell quoting, no shell) and waits
// for it up to the limit; one still running then is ended. Returns empty
// when it ran and exited with 0, else what went wrong.
QString runUserCommand(const QString &commandLine, std::chrono::milliseconds limit);

} // namespace skywell

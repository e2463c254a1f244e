#pragma once

#include <QString>
#include <QStringList>

namespace skywell
{

// The longest address tuning takes: a Show's address field less its NUL,
// in UTF-8 bytes. Longer ones are refused rather than cut, since a cut
// address plays something else or nothing.
inline constexpr int kMaxTuningAddressBytes = 511;

// An address that starts with this runs the command line after it,
// e.g. "run: mpv --no-video 'http://radio.example/live'".
inline const QString kRunPrefix = QStringLiteral("run:");

// True when tuning runs the address as a command line: a typed address
// (origin 0; never one from the catalogue or the station directory) that
// does not start with a scheme ("xxx://") and either starts with "run:" or
// contains ".exe" (case-sensitive) anywhere.
bool isCommandLineAddress(const QString &address, char origin);

// A command line split into the program and its arguments.
struct ProgramCommand {
    QString program;
    QStringList arguments;
    // Why the line could not be split (unbalanced quotes, nothing to run);
    // empty on success.
    QString error;
};

// Splits a command-line address (the "run:" prefix dropped) as a POSIX
// shell splits words: blanks separate, single and double quotes and
// backslashes quote. Nothing is expanded or interpreted: ";", "$", "|",
// "`" and globs stay literal, because the result is run without a shell.
ProgramCommand splitCommandLine(const QString &address);

// Why the tuner or the browser cannot be given this address; empty when it
// can: a URL with a scheme and host (or a file: URL), or a host name with
// a dot and an optional path, to which http:// is added.
QString addressProblem(const QString &address);

// The address as the tuner or the browser gets it: http:// added where the
// scheme is missing.
QString playableAddress(const QString &address);

} // namespace skywell

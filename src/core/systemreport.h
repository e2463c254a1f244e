#pragma once

#include <QString>

namespace skywell
{

class ActivityLog;

// "PRETTY_NAME" of an os-release file's text ("" when it has none).
QString osReleaseName(const QString &osReleaseText);

// Describes the running system, e.g. "Debian GNU/Linux 12 (bookworm)
// Linux 6.1.0-18-amd64 ": the distribution from /etc/os-release (or
// /usr/lib/os-release) and the kernel's name and release.
QString systemDescription();

// Appends the one-line system report ("OS =" and the description).
void writeSystemReport(ActivityLog &log);

} // namespace skywell

#pragma once

#include <QString>
#include <mutex>

namespace skywell
{

class Clock;

// The plain-text activity log "log.txt" in the program folder. Every call
// opens, appends one line and closes the file, so the file is complete on
// disk after each line. Failures are silent: a lost log line never stops
// the program. Calls from several threads wait for each other.
class ActivityLog final
{
public:
    static constexpr int kMaxLineBytes = 1024;

    ActivityLog(const QString &programFolder, const Clock &clock);
    // The same log file, each line of it naming what it belongs to
    // ("[Name] message"): one recording among several.
    ActivityLog(const ActivityLog &shared, const QString &scope);

    // Appends "time message detail\r\n", "time message\r\n", or "\r\n" when
    // both are empty. A message may contain line ends.
    void logLine(const QString &message = QString(), const QString &detail = QString());

    QString filePath() const { return m_path; }

    // The line as it is written, for the given local time in seconds.
    static QByteArray formatLine(std::int64_t now, const QString &message, const QString &detail);

private:
    QString m_path;
    const Clock &m_clock;
    QString m_scope;
    std::mutex m_mutex;
};

} // namespace skywell

#pragma once

#include <QString>
#include <cstdint>

namespace skywell
{

class Clock;
struct Show;

// The multi-line description of a Show's schedule and options (lines end
// in "\r\n") shown by the editor and written to the log when a recording
// starts. Callers pass the split interval in seconds and 0 as new-track
// milliseconds when silence splitting is off.
QString showSummary(const QString &address, std::int64_t onceDate, std::int64_t start, std::int64_t end,
                    const QString &recordSource, std::uint32_t flags, bool deadAirOn, std::int32_t deadAirMs,
                    std::int32_t newTrackMs, std::int32_t splitSeconds, bool retuneDisabled, bool muteOn,
                    char tunerKind, const Clock &clock);

// The summary of a Show as it is stored, with the arguments derived as
// every caller derives them.
QString showSummary(const Show &show, const Clock &clock);

} // namespace skywell

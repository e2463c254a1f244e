#pragma once

#include "shows/show.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <cstdint>

namespace skywell
{

// A Show as clients see it: {"name", "url", "source", "output", "schedule"
// (once|weekly|unscheduled), "once" (YYYY-MM-DD, once only), "weekly"
// ([mon, ...], weekly only), "at" (HH:MM), "length" (minutes),
// "split-titles", "split-every" (minutes, 0: off), "mute", "next" (absent
// when the Show is not due again), "lastStatus", "recording"}.
QJsonObject showJson(const Show &show, bool recording);

// Seconds since 1970 as ISO 8601 local time with its offset.
QString isoLocalTime(std::int64_t t);

} // namespace skywell

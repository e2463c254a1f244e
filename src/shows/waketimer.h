#pragma once

#include <cstdint>

namespace skywell
{

// The timer that brings a sleeping computer back shortly before a Show.
// Nobody waits on it: its only effect is the wake-up itself, after which
// the one-second tick finds the Show due.
class WakeTimer
{
public:
    virtual ~WakeTimer() = default;
    // Arms the timer, one shot, to go off after delaySeconds; a delay of 0
    // or less means at once (which wakes nothing). Replaces any earlier
    // setting. False when the system refused.
    virtual bool arm(std::int64_t delaySeconds) = 0;
};

} // namespace skywell

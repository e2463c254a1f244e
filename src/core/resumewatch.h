#pragma once

#include <cstdint>
#include <functional>

namespace skywell
{

// Notices that the computer slept (or that its clock was set): between two
// checks the wall clock moved further than the monotonic clock, which stands
// still while the machine is suspended. A late tick on a busy machine moves
// both alike and goes unnoticed.
class ResumeWatch final
{
public:
    // Readers of the two clocks in milliseconds.
    using Reader = std::function<std::int64_t()>;

    // Reads CLOCK_REALTIME and CLOCK_MONOTONIC.
    ResumeWatch();
    ResumeWatch(Reader wallMs, Reader monotonicMs);

    // True when the clocks parted by more than a few seconds since the last
    // check (the first check only takes their readings).
    bool check();

    static constexpr std::int64_t kToleranceMs = 5000;

private:
    Reader m_wallMs;
    Reader m_monotonicMs;
    std::int64_t m_wallOffset = 0;
    bool m_started = false;
};

} // namespace skywell

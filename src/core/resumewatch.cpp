#include "core/resumewatch.h"

#include <time.h>

namespace skywell
{
namespace
{

std::int64_t readMs(clockid_t clock)
{
    timespec t{};
    ::clock_gettime(clock, &t);
    return std::int64_t{t.tv_sec} * 1000 + t.tv_nsec / 1000000;
}

} // namespace

ResumeWatch::ResumeWatch() : ResumeWatch([] { return readMs(CLOCK_REALTIME); }, [] { return readMs(CLOCK_MONOTONIC); })
{
}

ResumeWatch::ResumeWatch(Reader wallMs, Reader monotonicMs)
    : m_wallMs(std::move(wallMs)), m_monotonicMs(std::move(monotonicMs))
{
}

bool ResumeWatch::check()
{
    // The wall clock less the monotonic one stays put while both run; a
    // suspend or a clock change moves it.
    const std::int64_t offset = m_wallMs() - m_monotonicMs();
    const bool jumped = m_started && (offset - m_wallOffset > kToleranceMs || m_wallOffset - offset > kToleranceMs);
    m_wallOffset = offset;
    m_started = true;
    return jumped;
}

} // namespace skywell

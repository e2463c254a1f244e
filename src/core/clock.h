#pragma once

#include <cstdint>
#include <ctime>

namespace skywell
{

// Source of "now" in seconds since 1970 (UTC). Everything that reads the
// time takes a Clock so tests can set it.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual std::int64_t now() const = 0;
};

class SystemClock final : public Clock
{
public:
    std::int64_t now() const override { return static_cast<std::int64_t>(std::time(nullptr)); }
};

// A clock that stays where a test puts it.
class ManualClock final : public Clock
{
public:
    explicit ManualClock(std::int64_t start = 0) : m_now(start) {}
    std::int64_t now() const override { return m_now; }
    void set(std::int64_t t) { m_now = t; }
    void advance(std::int64_t seconds) { m_now += seconds; }

private:
    std::int64_t m_now;
};

} // namespace skywell

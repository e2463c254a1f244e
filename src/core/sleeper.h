#pragma once

#include <chrono>
#include <thread>

namespace skywell
{

// Waits of a fixed length go through a Sleeper so tests need not sleep.
class Sleeper
{
public:
    virtual ~Sleeper() = default;
    virtual void sleepFor(std::chrono::milliseconds time) = 0;
};

class ThreadSleeper final : public Sleeper
{
public:
    void sleepFor(std::chrono::milliseconds time) override { std::this_thread::sleep_for(time); }
};

} // namespace skywell

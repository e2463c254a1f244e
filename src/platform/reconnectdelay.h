#pragma once

#include <chrono>

namespace skywell
{

// The waits before reopening a stream that could not be opened or
// dropped: 1, 2, 4, 8, 16 s, then 30 s each time. A stream that played
// long enough (kSteadyPlay of audio) starts the sequence again.
class ReconnectDelay final
{
public:
    static constexpr std::chrono::seconds kFirst{1};
    static constexpr std::chrono::seconds kLongest{30};
    static constexpr std::chrono::seconds kSteadyPlay{30};

    // The wait before the next attempt; each call doubles the following one.
    std::chrono::seconds next();
    // The stream has played for `played` since it was opened.
    void played(std::chrono::milliseconds played);
    void reset() { m_next = kFirst; }

private:
    std::chrono::seconds m_next = kFirst;
};

} // namespace skywell

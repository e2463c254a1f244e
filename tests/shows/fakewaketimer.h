#pragma once

#include "shows/waketimer.h"

#include <vector>

namespace skywell::test
{

// Records every arming; can be told to fail.
class FakeWakeTimer final : public WakeTimer
{
public:
    bool arm(std::int64_t delaySeconds) override
    {
        delays.push_back(delaySeconds);
        return !failing;
    }
    std::vector<std::int64_t> delays;
    bool failing = false;
};

} // namespace skywell::test

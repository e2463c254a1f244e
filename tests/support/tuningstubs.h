#pragma once

#include "tuning/connectionstate.h"
#include "tuning/desktopwindows.h"

namespace skywell::test
{

// A machine that is always online, for tuning without a network check.
class AlwaysOnline final : public ConnectionState
{
public:
    bool isOnline() const override { return true; }
};

// A desktop without windows: nothing to find or close.
class NoDesktopWindows final : public DesktopWindows
{
public:
    std::vector<DesktopWindow> topLevelWindows() override { return {}; }
    void closeAndWait(std::uint64_t) override {}
    void requestClose(std::uint64_t) override {}
};

} // namespace skywell::test

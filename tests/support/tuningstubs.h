#pragma once

#include "tuning/connectionstate.h"
#include "tuning/desktopwindows.h"

#include <algorithm>
#include <vector>

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

// Windows in enumeration order; a closed window goes away unless stubborn.
class FakeWindows final : public DesktopWindows
{
public:
    void add(std::uint64_t id, const QString &title, const QString &windowClass = QString(), qint64 processId = 0)
    {
        DesktopWindow window;
        window.id = id;
        window.title = title;
        window.windowClass = windowClass;
        window.processId = processId;
        windows.push_back(window);
    }
    std::vector<DesktopWindow> topLevelWindows() override
    {
        ++enumerations;
        return windows;
    }
    void closeAndWait(std::uint64_t id) override
    {
        closed.push_back(id);
        if (id != stubborn)
            std::erase_if(windows, [id](const DesktopWindow &w) { return w.id == id; });
    }
    void requestClose(std::uint64_t id) override { posted.push_back(id); }
    std::vector<std::uint64_t> ids() const
    {
        std::vector<std::uint64_t> result;
        for (const auto &w : windows)
            result.push_back(w.id);
        return result;
    }

    std::vector<DesktopWindow> windows;
    std::vector<std::uint64_t> closed;
    std::vector<std::uint64_t> posted;
    std::uint64_t stubborn = 0;
    int enumerations = 0;
};

} // namespace skywell::test

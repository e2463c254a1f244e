#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace skywell
{

// A top-level window of the desktop as tuning sees it.
struct DesktopWindow {
    std::uint64_t id = 0;
    QString title;
    QString windowClass;
    // The instance half of the class hint (the program's name for Qt).
    QString instanceName;
    // The process that drew it (_NET_WM_PID), 0 when it does not say.
    qint64 processId = 0;
};

// The desktop's top-level windows. Without a window system (no display,
// or one we cannot see into) there are none and nothing is closed.
class DesktopWindows
{
public:
    virtual ~DesktopWindows() = default;

    // The visible top-level windows, the topmost first.
    virtual std::vector<DesktopWindow> topLevelWindows() = 0;
    // Asks the window to close and waits briefly for it to go.
    virtual void closeAndWait(std::uint64_t id) = 0;
    // Asks the window to close without waiting.
    virtual void requestClose(std::uint64_t id) = 0;
};

} // namespace skywell

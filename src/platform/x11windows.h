#pragma once

#include "tuning/desktopwindows.h"

#include <QByteArray>
#include <chrono>

namespace skywell
{

// The top-level windows of an X11 display ($DISPLAY unless given). Each
// call opens its own connection, so a display that is gone or never was
// gives no windows instead of an error. User-interface thread only.
class X11Windows final : public DesktopWindows
{
public:
    explicit X11Windows(QByteArray display = QByteArray(),
                        std::chrono::milliseconds closeWait = std::chrono::milliseconds(2000));

    std::vector<DesktopWindow> topLevelWindows() override;
    void closeAndWait(std::uint64_t id) override;
    void requestClose(std::uint64_t id) override;

    // Every application window a window manager looks after, minimised
    // ones included (those that carry WM_STATE; none without a window
    // manager).
    std::vector<DesktopWindow> managedWindows();

private:
    QByteArray m_display;
    std::chrono::milliseconds m_closeWait;
};

} // namespace skywell

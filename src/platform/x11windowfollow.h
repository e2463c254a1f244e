#pragma once

#include "tuning/desktopwindows.h"

#include <QByteArray>

#include <cstdint>
#include <functional>
#include <vector>

namespace skywell
{

// Minimises the windows that one test picks (the tuner's) with the main
// window and shows them again when it comes back: those it minimised, and
// any other minimised one a window manager holds (a tuner that started
// minimised). Without an X display (no display, or a Wayland session where
// the tuner draws through Wayland) it does nothing.
class X11WindowFollow final
{
public:
    using Match = std::function<bool(const DesktopWindow &)>;
    explicit X11WindowFollow(Match matches, QByteArray display = QByteArray());

    // Asks the window manager to minimise the windows.
    void minimize();
    // Maps and raises the windows.
    void show();

private:
    Match m_matches;
    QByteArray m_display;
    std::vector<std::uint64_t> m_minimized;
};

} // namespace skywell

#include "platform/x11windowfollow.h"

#include "platform/x11windows.h"

#include <algorithm>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace skywell
{

namespace
{

// A window may be gone by now; Xlib's default handler would end the program.
int ignoreXError(Display *, XErrorEvent *)
{
    return 0;
}

template <typename Work> void withDisplay(const QByteArray &name, Work work)
{
    if (name.isEmpty() && !qEnvironmentVariableIsSet("DISPLAY"))
        return;
    Display *display = XOpenDisplay(name.isEmpty() ? nullptr : name.constData());
    if (!display)
        return;
    const XErrorHandler previous = XSetErrorHandler(ignoreXError);
    work(display);
    XSync(display, False);
    XSetErrorHandler(previous);
    XCloseDisplay(display);
}

} // namespace

X11WindowFollow::X11WindowFollow(Match matches, QByteArray display)
    : m_matches(std::move(matches)), m_display(std::move(display))
{
}

void X11WindowFollow::minimize()
{
    std::vector<std::uint64_t> found;
    for (const DesktopWindow &window : X11Windows(m_display).topLevelWindows()) {
        if (m_matches(window))
            found.push_back(window.id);
    }
    if (found.empty())
        return;
    withDisplay(m_display, [&found](Display *display) {
        for (const std::uint64_t id : found)
            XIconifyWindow(display, static_cast<Window>(id), DefaultScreen(display));
    });
    m_minimized = std::move(found);
}

void X11WindowFollow::show()
{
    std::vector<std::uint64_t> found = std::move(m_minimized);
    m_minimized.clear();
    for (const DesktopWindow &window : X11Windows(m_display).managedWindows()) {
        if (m_matches(window) && std::find(found.begin(), found.end(), window.id) == found.end())
            found.push_back(window.id);
    }
    if (found.empty())
        return;
    withDisplay(m_display, [&found](Display *display) {
        for (const std::uint64_t id : found)
            XMapRaised(display, static_cast<Window>(id));
    });
}

} // namespace skywell

#include "platform/x11windowfollow.h"

#include "platform/x11windows.h"

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

X11WindowFollow::X11WindowFollow(QString title, QByteArray display)
    : m_title(std::move(title)), m_display(std::move(display))
{
}

void X11WindowFollow::minimize()
{
    X11Windows windows(m_display);
    std::vector<std::uint64_t> found;
    for (const DesktopWindow &window : windows.topLevelWindows()) {
        if (window.title == m_title)
            found.push_back(window.id);
    }
    if (found.empty())
        return;
    withDisplay(m_display, [&found](Display *display) {
        for (std::uint64_t id : found)
            XIconifyWindow(display, static_cast<Window>(id), DefaultScreen(display));
    });
    m_minimized = std::move(found);
}

void X11WindowFollow::show()
{
    if (m_minimized.empty())
        return;
    withDisplay(m_display, [this](Display *display) {
        for (std::uint64_t id : m_minimized)
            XMapRaised(display, static_cast<Window>(id));
    });
    m_minimized.clear();
}

} // namespace skywell

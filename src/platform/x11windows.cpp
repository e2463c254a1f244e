#include "platform/x11windows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <memory>
#include <mutex>
#include <thread>

namespace skywell
{

namespace
{

// A window may vanish between two requests; its errors must not end the
// program (Xlib's default handler exits). Errors are ignored while one of
// our connections is in use.
int ignoreXError(Display *, XErrorEvent *)
{
    return 0;
}

class Connection
{
public:
    explicit Connection(const QByteArray &name)
    {
        const char *display = name.isEmpty() ? nullptr : name.constData();
        if (!name.isEmpty() || qEnvironmentVariableIsSet("DISPLAY"))
            m_display = XOpenDisplay(display);
        if (m_display)
            m_previous = XSetErrorHandler(ignoreXError);
    }
    ~Connection()
    {
        if (!m_display)
            return;
        XSync(m_display, False);
        XSetErrorHandler(m_previous);
        XCloseDisplay(m_display);
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    Display *get() const { return m_display; }
    Atom atom(const char *name) const { return XInternAtom(m_display, name, False); }

private:
    Display *m_display = nullptr;
    XErrorHandler m_previous = nullptr;
};

struct XFreeDeleter {
    void operator()(void *data) const
    {
        if (data)
            XFree(data);
    }
};

bool hasProperty(const Connection &x, Window window, Atom property)
{
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char *data = nullptr;
    const int status = XGetWindowProperty(x.get(), window, property, 0, 0, False, AnyPropertyType, &type, &format,
                                          &items, &after, &data);
    if (data)
        XFree(data);
    return status == Success && type != None;
}

QString utf8Property(const Connection &x, Window window, Atom property, Atom type)
{
    Atom actualType = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(x.get(), window, property, 0, 1024, False, type, &actualType, &format, &items, &after,
                           &data) != Success)
        return QString();
    std::unique_ptr<unsigned char, XFreeDeleter> owner(data);
    if (actualType != type || format != 8 || !data)
        return QString();
    return QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(items));
}

// _NET_WM_NAME (UTF-8) first, else WM_NAME in whatever encoding it has.
QString windowTitle(const Connection &x, Window window)
{
    const QString netName = utf8Property(x, window, x.atom("_NET_WM_NAME"), x.atom("UTF8_STRING"));
    if (!netName.isEmpty())
        return netName;
    XTextProperty property{};
    if (!XGetWMName(x.get(), window, &property) || !property.value)
        return QString();
    std::unique_ptr<unsigned char, XFreeDeleter> owner(property.value);
    char **list = nullptr;
    int count = 0;
    QString title;
    if (Xutf8TextPropertyToTextList(x.get(), &property, &list, &count) >= Success && list && count > 0)
        title = QString::fromUtf8(list[0]);
    else
        title = QString::fromLatin1(reinterpret_cast<const char *>(property.value),
                                    static_cast<qsizetype>(property.nitems));
    if (list)
        XFreeStringList(list);
    return title;
}

// WM_CLASS: the class and the instance name.
void readClass(const Connection &x, Window window, DesktopWindow &out)
{
    XClassHint hint{};
    if (!XGetClassHint(x.get(), window, &hint))
        return;
    out.windowClass = QString::fromUtf8(hint.res_class ? hint.res_class : "");
    out.instanceName = QString::fromUtf8(hint.res_name ? hint.res_name : "");
    if (hint.res_name)
        XFree(hint.res_name);
    if (hint.res_class)
        XFree(hint.res_class);
}

qint64 processIdOf(const Connection &x, Window window)
{
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(x.get(), window, x.atom("_NET_WM_PID"), 0, 1, False, XA_CARDINAL, &type, &format, &items,
                           &after, &data) != Success)
        return 0;
    std::unique_ptr<unsigned char, XFreeDeleter> owner(data);
    if (type != XA_CARDINAL || format != 32 || items != 1 || !data)
        return 0;
    // Format 32 arrives as longs.
    return static_cast<qint64>(*reinterpret_cast<const unsigned long *>(data));
}

DesktopWindow describe(const Connection &x, Window window)
{
    DesktopWindow out;
    out.id = static_cast<std::uint64_t>(window);
    out.title = windowTitle(x, window);
    readClass(x, window, out);
    out.processId = processIdOf(x, window);
    return out;
}

std::vector<Window> children(const Connection &x, Window window)
{
    Window root = 0, parent = 0;
    Window *list = nullptr;
    unsigned int count = 0;
    std::vector<Window> result;
    if (XQueryTree(x.get(), window, &root, &parent, &list, &count) && list)
        result.assign(list, list + count);
    if (list)
        XFree(list);
    return result;
}

// The application's own window below a window manager's frame: the first
// one down the tree that carries WM_STATE.
Window clientWindow(const Connection &x, Window window, Atom wmState, int depth)
{
    if (hasProperty(x, window, wmState))
        return window;
    if (depth >= 4)
        return 0;
    for (const Window child : children(x, window)) {
        if (const Window client = clientWindow(x, child, wmState, depth + 1))
            return client;
    }
    return 0;
}

bool viewable(const Connection &x, Window window)
{
    XWindowAttributes attributes{};
    return XGetWindowAttributes(x.get(), window, &attributes) && attributes.map_state == IsViewable;
}

bool supportsDelete(const Connection &x, Window window, Atom deleteAtom)
{
    Atom *protocols = nullptr;
    int count = 0;
    bool found = false;
    if (XGetWMProtocols(x.get(), window, &protocols, &count)) {
        for (int i = 0; i < count; ++i)
            found = found || protocols[i] == deleteAtom;
    }
    if (protocols)
        XFree(protocols);
    return found;
}

// WM_DELETE_WINDOW where the window takes it (the application closes
// itself, as after a click on its close button); a window that does not
// is destroyed.
void sendClose(const Connection &x, Window window)
{
    const Atom deleteAtom = x.atom("WM_DELETE_WINDOW");
    if (supportsDelete(x, window, deleteAtom)) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = x.atom("WM_PROTOCOLS");
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(deleteAtom);
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(x.get(), window, False, NoEventMask, &event);
    } else {
        XDestroyWindow(x.get(), window);
    }
    XSync(x.get(), False);
}

} // namespace

X11Windows::X11Windows(QByteArray display, std::chrono::milliseconds closeWait)
    : m_display(std::move(display)), m_closeWait(closeWait)
{
}

std::vector<DesktopWindow> X11Windows::topLevelWindows()
{
    std::vector<DesktopWindow> windows;
    Connection x(m_display);
    if (!x.get())
        return windows;
    const Atom wmState = x.atom("WM_STATE");
    const std::vector<Window> stack = children(x, DefaultRootWindow(x.get()));
    // XQueryTree lists the bottom window first; callers get the topmost first.
    for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
        if (!viewable(x, *it))
            continue;
        Window window = clientWindow(x, *it, wmState, 0);
        if (!window)
            window = *it;
        windows.push_back(describe(x, window));
    }
    return windows;
}

std::vector<DesktopWindow> X11Windows::managedWindows()
{
    std::vector<DesktopWindow> windows;
    Connection x(m_display);
    if (!x.get())
        return windows;
    const Atom wmState = x.atom("WM_STATE");
    for (const Window top : children(x, DefaultRootWindow(x.get()))) {
        if (const Window window = clientWindow(x, top, wmState, 0))
            windows.push_back(describe(x, window));
    }
    return windows;
}

void X11Windows::closeAndWait(std::uint64_t id)
{
    Connection x(m_display);
    if (!x.get())
        return;
    const Window window = static_cast<Window>(id);
    sendClose(x, window);
    // Like a close request that waits for the window to handle it: wait
    // until it is gone (destroyed or unmapped), briefly.
    const auto deadline = std::chrono::steady_clock::now() + m_closeWait;
    while (std::chrono::steady_clock::now() < deadline) {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(x.get(), window, &attributes) || attributes.map_state != IsViewable)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void X11Windows::requestClose(std::uint64_t id)
{
    Connection x(m_display);
    if (x.get())
        sendClose(x, static_cast<Window>(id));
}

} // namespace skywell

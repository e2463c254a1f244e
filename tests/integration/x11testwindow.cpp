// A plain X11 window for the window-closing tests:
//   x11testwindow TITLE
// maps a window with that title (_NET_WM_NAME and WM_NAME), prints
// "mapped" once it is viewable, and exits 0 when asked to close
// (WM_DELETE_WINDOW) or 1 when its window is destroyed.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstring>

int main(int argc, char *argv[])
{
    if (argc != 2)
        return 2;
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return 2;
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 10, 10, 200, 80, 1,
                                              BlackPixel(display, 0), WhitePixel(display, 0));
    const char *title = argv[1];
    XStoreName(display, window, title);
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False),
                    XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(title), static_cast<int>(std::strlen(title)));
    Atom deleteAtom = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteAtom, 1);
    XSelectInput(display, window, StructureNotifyMask);
    XMapWindow(display, window);
    while (true) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify) {
            std::printf("mapped\n");
            std::fflush(stdout);
        } else if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == deleteAtom) {
            XDestroyWindow(display, window);
            XCloseDisplay(display);
            return 0;
        } else if (event.type == DestroyNotify) {
            return 1;
        }
    }
}

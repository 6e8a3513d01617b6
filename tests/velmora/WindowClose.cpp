#include "WindowClose.h"

#include <X11/Xlib.h>
#include <poll.h>

#include <chrono>

bool closeRequestIgnored(unsigned long window, int pings, double deadlineSeconds) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    // A window manager's messages; the owner answers a ping by sending it on to the root window.
    Atom ping = XInternAtom(display, "_NET_WM_PING", False);
    XEvent message{};
    message.xclient = {ClientMessage, 0, False, display, window, XInternAtom(display, "WM_PROTOCOLS", False), 32, {}};
    message.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    message.xclient.data.l[2] = long(window);
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSendEvent(display, window, False, NoEventMask, &message);
    message.xclient.data.l[0] = long(ping);
    XSendEvent(display, window, False, NoEventMask, &message);
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(deadlineSeconds);
    int answered = 0;
    while (answered < pings && std::chrono::steady_clock::now() < end) {
        XFlush(display);
        pollfd connection = {ConnectionNumber(display), POLLIN, 0};
        if (!XPending(display) && poll(&connection, 1, 50) <= 0) continue;
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ClientMessage && event.xclient.data.l[0] == long(ping) &&
            event.xclient.data.l[2] == long(window) && ++answered < pings)
            XSendEvent(display, window, False, NoEventMask, &message);
    }
    XCloseDisplay(display);
    return answered == pings;
}

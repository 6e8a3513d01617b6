#include "WindowClose.h"

#include <X11/Xlib.h>

#include <poll.h>

#include <chrono>

namespace {

// Sends the WM_PROTOCOLS message `protocol` to `window`, as a window manager does.
void sendProtocol(Display* display, unsigned long window, const char* protocol) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, protocol, False));
    event.xclient.data.l[1] = CurrentTime;
    event.xclient.data.l[2] = long(window);
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

} // namespace

bool closeRequestIgnored(unsigned long window, int pings, double deadlineSeconds) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    sendProtocol(display, window, "WM_DELETE_WINDOW");
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(deadlineSeconds);
    int answered = 0;
    for (sendProtocol(display, window, "_NET_WM_PING"); answered < pings && std::chrono::steady_clock::now() < end;) {
        pollfd connection = {ConnectionNumber(display), POLLIN, 0};
        if (!XPending(display) && poll(&connection, 1, 50) <= 0) continue;
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ClientMessage && event.xclient.data.l[2] == long(window) &&
            event.xclient.data.l[0] == long(XInternAtom(display, "_NET_WM_PING", False)) && ++answered < pings)
            sendProtocol(display, window, "_NET_WM_PING");
    }
    XCloseDisplay(display);
    return answered == pings;
}

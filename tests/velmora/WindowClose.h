// Asks a window to close the way a window manager does (WM_DELETE_WINDOW). Kept apart from the
// tests because Xlib's macros clash with GoogleTest's names.
#pragma once

// Sends the close request, then `pings` window-manager pings one after another: true when the
// window's owner answers them all within the deadline, so it read the request and went on.
bool closeRequestIgnored(unsigned long window, int pings, double deadlineSeconds);

// Asks a window to close the way a window manager does (WM_DELETE_WINDOW). Kept apart from the
// tests because Xlib's macros clash with GoogleTest's names.
#pragma once

bool sendCloseRequest(unsigned long window);

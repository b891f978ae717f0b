#include "WindowManagerAtoms.h"

// Xlib stays in this file: its macros (None, Bool, Status) clash with the framework's names.
#include <X11/Xlib.h>

#include <initializer_list>

void internWindowManagerAtoms()
{
    // The connection stays open for the whole run: a bare server forgets its
    // atoms when its last client leaves, which could happen before the
    // framework connects.
    static auto* display = XOpenDisplay (nullptr);

    if (display == nullptr)
        return;

    for (const auto* name : { "WM_PROTOCOLS", "WM_DELETE_WINDOW", "WM_TAKE_FOCUS", "_NET_WM_PING", "WM_STATE" })
        XInternAtom (display, name, False);

    XFlush (display);
}

namespace
{
// Before main: the framework reads the atoms once, when it first opens the display.
[[maybe_unused]] const bool interned = (internWindowManagerAtoms(), true);
} // namespace

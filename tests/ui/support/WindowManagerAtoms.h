#pragma once

/** Creates the atoms a window manager would have created on the X server
    named by DISPLAY. A bare server (Xvfb) has none, and the framework names
    WM_PROTOCOLS on every new window without creating it: the server then
    refuses the property and the program ends. Does nothing without a server.
    Every program linking this file runs it before main. */
void internWindowManagerAtoms();

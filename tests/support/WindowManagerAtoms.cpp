#include "WindowManagerAtoms.h"

#include <X11/Xlib.h>

#include <initializer_list>

WindowManagerAtoms::WindowManagerAtoms()
{
    auto* connection = XOpenDisplay (nullptr);
    if (connection == nullptr)
        return;

    for (auto* name : { "WM_PROTOCOLS", "WM_DELETE_WINDOW", "WM_TAKE_FOCUS", "_NET_WM_PING" })
        XInternAtom (connection, name, False);

    XSync (connection, False);
    display = connection;
}

WindowManagerAtoms::~WindowManagerAtoms()
{
    if (display != nullptr)
        XCloseDisplay (static_cast<Display*> (display));
}

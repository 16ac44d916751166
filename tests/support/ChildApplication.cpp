#include "ChildApplication.h"

#include <X11/Xlib.h>

juce::StringArray ChildApplication::_findWindows()
{
    // JUCE marks its windows with _NET_WM_PID, which xdotool searches by.
    juce::ChildProcess search;
    if (! search.start ("xdotool search --onlyvisible --pid " + juce::String (process.getPid()), juce::ChildProcess::wantStdOut))
        return {};

    return juce::StringArray::fromLines (search.readAllProcessOutput().trim());
}

bool ChildApplication::waitForWindow (int timeoutMs)
{
    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

    while (process.isRunning())
    {
        if (! _findWindows().isEmpty())
            return true;

        if (juce::Time::getMillisecondCounter() >= deadline)
            return false;

        juce::Thread::sleep (50);
    }

    return false;
}

bool ChildApplication::closeWindows()
{
    const auto windows = _findWindows();
    auto* display = XOpenDisplay (nullptr);
    if (display == nullptr || windows.isEmpty())
    {
        if (display != nullptr)
            XCloseDisplay (display);
        return false;
    }

    const Atom protocols = XInternAtom (display, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom (display, "WM_DELETE_WINDOW", False);

    for (auto& id : windows)
    {
        XEvent event {};
        event.xclient.type = ClientMessage;
        event.xclient.window = (Window) id.getLargeIntValue();
        event.xclient.message_type = protocols;
        event.xclient.format = 32;
        event.xclient.data.l[0] = (long) deleteWindow;
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent (display, event.xclient.window, False, NoEventMask, &event);
    }

    XFlush (display);
    XCloseDisplay (display);
    return true;
}

bool ChildApplication::click (int x, int y)
{
    const auto windows = _findWindows();
    if (windows.isEmpty())
        return false;

    juce::ChildProcess xdotool;
    if (! xdotool.start (juce::StringArray { "xdotool", "mousemove", "--window", windows[0], juce::String (x),
                                             juce::String (y), "click", "1" }))
        return false;

    return xdotool.waitForProcessToFinish (10000) && xdotool.getExitCode() == 0;
}

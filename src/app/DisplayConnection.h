#pragma once

#include <juce_core/juce_core.h>

/** A connection of the program's own to the X display that the framework is about to open, made
    first and held until the framework has opened its own.

    The framework opens the display once, when its desktop is first used, tries twice in a row and
    then runs without a display for good, with an empty screen list that its window code reads
    unguarded. A
    display that is there can still refuse a connection for a moment: a bare X server (Xvfb, as in
    tests and remote sessions) resets itself whenever its last client leaves, and turns away whoever
    connects meanwhile. So the connection is tried again until the display answers or the time is up,
    and while it is held the server has a client and does not reset under the framework's own
    connection. Message thread. */
class DisplayConnection
{
public:
    /** Connects to the display the framework opens: $DISPLAY, or ":0.0" when that is unset or
        empty. Tries for at most timeoutMs. */
    explicit DisplayConnection (int timeoutMs);
    ~DisplayConnection(); ///< closes the connection

    bool isOpen() const noexcept { return display != nullptr; }

    /** The display's name as it was tried. */
    const juce::String& getName() const noexcept { return name; }

private:
    juce::String name;
    void* display = nullptr; ///< the Xlib Display, kept out of this header with Xlib's macros

    JUCE_DECLARE_NON_COPYABLE (DisplayConnection)
};

#pragma once

#include <juce_core/juce_core.h>

/** Reads which picture the routing button of the application's main window shows, from the X
    display, as a user sees it: "ready", "routing" or "busy" (drawn enabled), "disconnected" or
    "unsupported" (drawn disabled, at JUCE's 30 % opacity), or "unreadable" when the window's pixels
    cannot be read or match no picture. Shared by the application's end-to-end tests and the
    server-loss loop (through kestro_e2e_routing_button), so that both wait for the same thing
    before their one click. */
class RoutingButtonPicture
{
public:
    /** The button's place in the 220 x 300 main window. */
    static constexpr int left = 31, top = 219, size = 41;
    static constexpr int centreX = left + size / 2, centreY = top + size / 2;

    /** @param windowId the X window of the application's main window, as xdotool prints it */
    static juce::String read (const juce::String& windowId);
};

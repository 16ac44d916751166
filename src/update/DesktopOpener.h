#pragma once

#include <juce_core/juce_core.h>

/** Opens web links and folders with the desktop's opener, xdg-open, started directly with its
    argument list: the target is one argument of its own and never passes through a shell. (The
    framework's own launchers build a /bin/sh command line around the target, so a quote or a
    "$(...)" in it would run as a command.) Links come from the update server, so only checked
    ones are opened.

    Any thread. Each opener is started through a child that ends at once, so the opener is
    adopted by init, no finished opener is left behind as a zombie and no thread waits for it.
    The opener inherits no descriptor of the program's but standard input; its output goes to
    /dev/null. */
class DesktopOpener
{
public:
    /** The link, without surrounding white space, when it is an absolute http or https address
        of a host, with no user part before the host, made only of the characters RFC 3986 allows
        in a URI (every "%" starting an escape of two hex digits); otherwise the empty string,
        which is no link. */
    static juce::String checkedWebLink (const juce::String& text);

    /** Opens a link that checkedWebLink accepts; returns whether the opener was started (found
        in PATH and executed), false when it could not be. */
    static bool openLink (const juce::String& link);

    /** Shows a folder in the desktop's file browser; returns whether the opener was started. */
    static bool openFolder (const juce::File& folder);

    /** The program every target is handed to, looked up in PATH. */
    static constexpr const char* openerProgram = "xdg-open";

    DesktopOpener() = delete;

private:
    static bool _startOpener (const juce::String& target);
};

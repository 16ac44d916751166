#pragma once

#include <juce_events/juce_events.h>

/** Turns SIGINT and SIGTERM into the application's ordinary quit request, so that a terminal's
    Ctrl-C or a `kill` ends in the same ordered shutdown as closing the window. The signal handler
    only writes a byte to a pipe; the message loop reads it and asks the application to quit.
    The previous signal dispositions come back when the handler is destroyed. */
class QuitSignalHandler
{
public:
    QuitSignalHandler();
    ~QuitSignalHandler();

private:
    void _quitRequested();

    int pipeEnds[2] { -1, -1 };

    JUCE_DECLARE_NON_COPYABLE (QuitSignalHandler)
};

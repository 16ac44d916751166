#pragma once

#include "SpawnedProcess.h"

/** The real application binary run as a child process, for tests of what only a whole process
    shows: the single-instance rule and the answers to the close button and termination signals.
    The child gets the test's environment plus the given overrides, and its output goes to a file. */
class ChildApplication
{
public:
    ChildApplication (const juce::String& executable, const juce::StringPairArray& environmentOverrides,
                      const juce::File& outputFile)
        : process (juce::StringArray { executable }, environmentOverrides, outputFile) {}

    bool isRunning() { return process.isRunning(); }
    bool sendSignal (int signalNumber) { return process.sendSignal (signalNumber); }

    /** Waits for the child to end; returns its exit code, or -1 on a timeout or a death by signal. */
    int waitForExit (int timeoutMs) { return process.waitForExit (timeoutMs) ? process.getExitCode() : -1; }

    /** Waits until the child shows a window on the X display (it has then finished starting). */
    bool waitForWindow (int timeoutMs);

    /** Asks the child's windows to close, as a window manager does when the user clicks the
        title bar's close button (WM_DELETE_WINDOW). */
    bool closeWindows();

    /** Clicks the left mouse button at (x, y) of the child's first window, as a user would. */
    bool click (int x, int y);

    /** The X window id of the child's first window, as xdotool prints it; empty while it has none. */
    juce::String findWindow() { return _findWindows()[0]; }

    juce::String readOutput() const { return process.readOutput(); }

private:
    juce::StringArray _findWindows();

    SpawnedProcess process;
};

#pragma once

#include <juce_core/juce_core.h>

#include <sys/types.h>

/** The real application binary run as a child process, for tests of what only a whole process
    shows: the single-instance rule and the answer to termination signals. The child gets the test's
    environment plus the given overrides, and its output goes to a file. */
class ChildApplication
{
public:
    ChildApplication (const juce::String& executable, const juce::StringPairArray& environmentOverrides,
                      const juce::File& outputFile);
    ~ChildApplication(); ///< kills the child if it still runs

    bool started() const noexcept { return pid > 0; }
    bool isRunning();
    bool sendSignal (int signalNumber);

    /** Waits for the child to end; returns its exit code, or -1 on a timeout or a death by signal. */
    int waitForExit (int timeoutMs);

    /** Waits until the child shows a window on the X display (it has then finished starting). */
    bool waitForWindow (int timeoutMs);

    /** Asks the child's windows to close, as a window manager does when the user clicks the
        title bar's close button (WM_DELETE_WINDOW). */
    bool closeWindows();

    juce::String readOutput() const { return outputFile.loadFileAsString(); }

private:
    juce::StringArray _findWindows();

    pid_t pid = -1;
    int exitCode = -1;
    bool exited = false;
    juce::File outputFile;
};

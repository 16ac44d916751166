#pragma once

#include <juce_core/juce_core.h>

#include <sys/types.h>

/** A program run as a child process of the test: the application itself, the JACK server or one
    of the test's JACK clients. It gets the test's environment plus the given overrides, /dev/null as input and a file
    for its output, and no other descriptor of the test. Should the test process die first (a crash,
    or CTest's timeout), the kernel sends the child SIGTERM, so that no server or client outlives the
    test that started it. Use from the thread that created it; the child's death signal follows
    that thread. */
class SpawnedProcess
{
public:
    /** arguments[0] is the program: a path, or a name looked up in PATH. */
    SpawnedProcess (const juce::StringArray& arguments, const juce::StringPairArray& environmentOverrides,
                    const juce::File& outputFile);
    ~SpawnedProcess(); ///< stops the child if it still runs

    bool started() const noexcept { return pid > 0; }
    pid_t getPid() const noexcept { return pid; }
    bool isRunning();

    /** SIGTERM, then SIGKILL if the child has not ended within timeoutMs. Returns whether it ended
        on the SIGTERM (or had ended before). */
    bool stop (int timeoutMs);

    /** Waits for the child to end; returns false on a timeout. */
    bool waitForExit (int timeoutMs);

    /** The child's exit code once it has ended; -1 while it runs or when a signal ended it. */
    int getExitCode() noexcept { return isRunning() ? -1 : exitCode; }

    bool sendSignal (int signalNumber);

    /** Whether a line of the child's output so far begins with `prefix`. */
    bool hasWrittenLine (const juce::String& prefix) const;

    juce::String readOutput() const { return outputFile.loadFileAsString(); }
    const juce::File& getOutputFile() const noexcept { return outputFile; }

private:
    static juce::String _findProgram (const juce::String& name);

    pid_t pid = -1;
    bool exited = false;
    int exitCode = -1;
    juce::File outputFile;

    JUCE_DECLARE_NON_COPYABLE (SpawnedProcess)
};

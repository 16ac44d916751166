#pragma once

#include <juce_core/juce_core.h>

#include <vector>

/** Reads the meter client's output file as it grows: the windows it measured, in order. Used on
    the test's message thread only. */
class MeterClientReport
{
public:
    struct Port
    {
        int nonzero = 0;
        float lowest = 0.0f;  ///< of the nonzero samples
        float highest = 0.0f; ///< of the nonzero samples
    };

    struct Window
    {
        long sequence = -1;
        juce::int64 beginMicroseconds = 0; ///< CLOCK_MONOTONIC at the window's first block
        int frames = 0;
        std::vector<Port> ports;
    };

    explicit MeterClientReport (const juce::File& outputFile) : file (outputFile) {}

    /** Takes in what the client has written since the last call; returns the windows it finished,
        oldest first. A partly written last line waits for the next call. */
    std::vector<Window> readNewWindows();

    /** CLOCK_MONOTONIC in microseconds, the clock of Window::beginMicroseconds. */
    static juce::int64 now();

    /** Port carries `level` alone: most of the window's samples and every nonzero one are that level. */
    static bool carries (const Window& window, size_t port, float level);
    static bool isSilent (const Window& window, size_t port);

    /** "in_1: 4096 x [0.125, 0.125] | in_2: ..." for failure messages. */
    static juce::String describe (const Window& window);

private:
    juce::File file;
    juce::int64 offset = 0;
    juce::String partialLine;
};

#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <functional>

/** A millisecond clock that moves only when the test moves it, for code that takes its time from
    a function. It counts how often it is read, so that a test can tell the code has looked at the
    time since the clock last moved. Any thread may read it. */
class ManualClock
{
public:
    /** Reads this clock; valid while it exists. */
    std::function<juce::uint32()> reader()
    {
        return [this]
        {
            reads.fetch_add (1);
            return now.load();
        };
    }

    void advance (juce::uint32 milliseconds) noexcept  { now.fetch_add (milliseconds); }
    int getNumReads() const noexcept                   { return reads.load(); }

private:
    std::atomic<juce::uint32> now { 1000 };
    std::atomic<int> reads { 0 };
};

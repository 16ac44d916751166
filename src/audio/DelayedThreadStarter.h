#pragma once

#include <juce_events/juce_events.h>

/** Starts a thread once, when the timer first fires. */
class DelayedThreadStarter : public juce::Timer
{
public:
    explicit DelayedThreadStarter (juce::Thread& threadToStart) : thread (&threadToStart) {}

    void timerCallback() override
    {
        thread->startThread();
        stopTimer();
    }

private:
    juce::Thread* const thread;
};

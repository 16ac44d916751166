#pragma once

#include <juce_events/juce_events.h>

/** Runs the automatic update check once, when the timer first fires, if the user's
    automatic-update switch is on. */
class DelayedUpdateChecker : public juce::Timer
{
public:
    void timerCallback() override;
};

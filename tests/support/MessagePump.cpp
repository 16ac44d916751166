#include "MessagePump.h"

#include <juce_events/juce_events.h>

bool pumpMessagesUntil (const std::function<bool()>& condition, int timeoutMs)
{
    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

    while (! condition())
    {
        if (juce::Time::getMillisecondCounter() >= deadline)
            return condition();

        juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
    }

    return true;
}

void pumpMessagesFor (int milliseconds)
{
    pumpMessagesUntil ([] { return false; }, milliseconds);
}

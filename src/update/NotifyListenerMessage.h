#pragma once

#include <juce_events/juce_events.h>

/** Posted by the update thread at the end of every check; on the message thread it tells the
    update thread's listener, if there is one. A message still queued after the update thread
    was deleted at shutdown does nothing. */
class NotifyListenerMessage : public juce::MessageManager::MessageBase
{
public:
    void messageCallback() override;
};

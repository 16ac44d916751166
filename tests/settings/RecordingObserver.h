#pragma once

#include "settings/Attribute.h"
#include "settings/AttributeObserver.h"

#include <functional>
#include <vector>

/** Records what it is told; optionally runs a test's own reaction inside the notification and
    can refuse to detach, like an observer whose override forgets to call the base class. */
class RecordingObserver : public AttributeObserver
{
public:
    explicit RecordingObserver (std::vector<const RecordingObserver*>* sharedCallLog = nullptr)
        : callLog (sharedCallLog)
    {
    }

    void onAttributeChanged (AttributeChangedEvent& event) override
    {
        events.push_back (event);

        if (callLog != nullptr)
            callLog->push_back (this);

        if (onChange)
            onChange (event);
    }

    void detachAttribute (juce::WeakReference<Attribute> attribute) override
    {
        ++detachCalls;

        if (! keepEntryOnDetach)
            AttributeObserver::detachAttribute (attribute);
    }

    std::vector<AttributeChangedEvent> events;
    std::vector<const RecordingObserver*>* callLog;
    std::function<void (AttributeChangedEvent&)> onChange;
    int detachCalls = 0;
    bool keepEntryOnDetach = false;
};

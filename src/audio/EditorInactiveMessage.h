#pragma once

#include <juce_events/juce_events.h>

/** Posted by the processor to its editor when a plug-in host's preparation makes it inactive, or
    active again: the editor shows or hides its inactive overlay with the reason in `text`. Created
    by whoever posts it; JUCE deletes it after delivery on the message thread. */
class EditorInactiveMessage : public juce::Message
{
public:
    EditorInactiveMessage (bool isInactive, const juce::String& reason)
        : inactive (isInactive), text (reason) {}

    const bool inactive;
    const juce::String text;
};

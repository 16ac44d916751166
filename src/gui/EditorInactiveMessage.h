#pragma once

#include <juce_events/juce_events.h>

/** Posted to the editor (UsbPluginAudioProcessorEditor::postInactiveState) when a plug-in host's
    preparation makes the processor inactive, or active again: the editor shows or hides its
    inactive overlay with the reason in `text`. JUCE deletes it after delivery on the message
    thread. */
class EditorInactiveMessage : public juce::Message
{
public:
    EditorInactiveMessage (bool isInactive, const juce::String& reason)
        : inactive (isInactive), text (reason) {}

    const bool inactive;
    const juce::String text;
};

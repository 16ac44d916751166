#pragma once

#include <juce_events/juce_events.h>

/** Posted to the editor (UsbPluginAudioProcessorEditor::postRoutingUpdate) after every change of
    the input device manager, so that the editor rebuilds its routing rows for the new channel
    mode. Carries nothing; JUCE deletes it after delivery on the message thread. */
class UpdateRoutingMessage : public juce::Message
{
public:
    UpdateRoutingMessage() = default;
};

#pragma once

#include <juce_events/juce_events.h>

/** Asks the editor to offer the channel-mode choice: a panel with a prompt and one button each
    for mono, stereo and 5.1. Meant for a plug-in host that leaves the layout to the user; the
    standalone application never posts it. JUCE deletes it after delivery on the message thread. */
class ShowChannelModeChoiceMessage : public juce::Message
{
};

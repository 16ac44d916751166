#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

/** An open MIDI output port. The program sends through it at once; nothing is queued. Closing
    the port is destroying the object. */
class MidiOutputPort
{
public:
    virtual ~MidiOutputPort() = default;

    virtual void sendMessageNow (const juce::MidiMessage& message) = 0;
};

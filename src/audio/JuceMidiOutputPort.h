#pragma once

#include "MidiOutputPort.h"

#include <juce_audio_devices/juce_audio_devices.h>

#include <memory>

/** A platform MIDI output port. */
class JuceMidiOutputPort : public MidiOutputPort
{
public:
    explicit JuceMidiOutputPort (std::unique_ptr<juce::MidiOutput> openedOutput);

    void sendMessageNow (const juce::MidiMessage& message) override;

private:
    std::unique_ptr<juce::MidiOutput> output;
};

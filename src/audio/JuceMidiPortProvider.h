#pragma once

#include "MidiPortProvider.h"

/** The platform's MIDI output ports, through juce::MidiOutput. */
class JuceMidiPortProvider : public MidiPortProvider
{
public:
    juce::Array<juce::MidiDeviceInfo> getAvailableOutputs() override;
    std::unique_ptr<MidiOutputPort> openOutput (const juce::String& identifier) override;
};

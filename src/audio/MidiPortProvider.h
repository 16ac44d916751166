#pragma once

#include "MidiOutputPort.h"

#include <juce_audio_devices/juce_audio_devices.h>

#include <memory>

/** Where the meter handler finds MIDI output ports: the platform's through JuceMidiPortProvider
    in the application, a recording stand-in in the tests (this machine's kind has no MIDI
    service that could be faked underneath juce::MidiOutput). */
class MidiPortProvider
{
public:
    virtual ~MidiPortProvider() = default;

    /** The output ports, each with its name and identifier, in the platform's order. */
    virtual juce::Array<juce::MidiDeviceInfo> getAvailableOutputs() = 0;

    /** Opens the port with this identifier; nullptr when it cannot be opened. */
    virtual std::unique_ptr<MidiOutputPort> openOutput (const juce::String& identifier) = 0;
};

#include "JuceMidiPortProvider.h"

#include "JuceMidiOutputPort.h"

juce::Array<juce::MidiDeviceInfo> JuceMidiPortProvider::getAvailableOutputs()
{
    return juce::MidiOutput::getAvailableDevices();
}

std::unique_ptr<MidiOutputPort> JuceMidiPortProvider::openOutput (const juce::String& identifier)
{
    if (auto output = juce::MidiOutput::openDevice (identifier))
        return std::make_unique<JuceMidiOutputPort> (std::move (output));

    return nullptr;
}

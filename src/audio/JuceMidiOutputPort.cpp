#include "JuceMidiOutputPort.h"

JuceMidiOutputPort::JuceMidiOutputPort (std::unique_ptr<juce::MidiOutput> openedOutput)
    : output (std::move (openedOutput))
{
    jassert (output != nullptr);
}

void JuceMidiOutputPort::sendMessageNow (const juce::MidiMessage& message)
{
    output->sendMessageNow (message);
}

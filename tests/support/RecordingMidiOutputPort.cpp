#include "RecordingMidiOutputPort.h"

#include "RecordingMidiPortProvider.h"

RecordingMidiOutputPort::RecordingMidiOutputPort (std::shared_ptr<RecordingMidiPortProvider> owner,
                                                  int serialNumber, juce::String identifier)
    : serial (serialNumber),
      portIdentifier (std::move (identifier)),
      provider (std::move (owner))
{
}

RecordingMidiOutputPort::~RecordingMidiOutputPort()
{
    provider->_closed (serial);
}

void RecordingMidiOutputPort::sendMessageNow (const juce::MidiMessage& message)
{
    provider->_record (serial, portIdentifier, message);
}

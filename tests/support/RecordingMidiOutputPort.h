#pragma once

#include "audio/MidiOutputPort.h"

#include <memory>

class RecordingMidiPortProvider;

/** A port opened by a RecordingMidiPortProvider: hands every message to it. */
class RecordingMidiOutputPort : public MidiOutputPort
{
public:
    RecordingMidiOutputPort (std::shared_ptr<RecordingMidiPortProvider> owner, int serialNumber, juce::String identifier);
    ~RecordingMidiOutputPort() override;

    void sendMessageNow (const juce::MidiMessage& message) override;

    const int serial;
    const juce::String portIdentifier;

private:
    const std::shared_ptr<RecordingMidiPortProvider> provider;
};

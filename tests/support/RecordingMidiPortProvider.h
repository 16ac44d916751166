#pragma once

#include "audio/MidiPortProvider.h"

#include <map>
#include <memory>
#include <set>
#include <vector>

/** MIDI output ports for tests: the test sets the list the meter handler sees and which opens
    fail, and every message sent through a port it opened is recorded with the port it went to.
    Safe on any thread. Make it with std::make_shared: its ports keep it alive. */
class RecordingMidiPortProvider : public MidiPortProvider,
                                  public std::enable_shared_from_this<RecordingMidiPortProvider>
{
public:
    struct SentMessage
    {
        int portSerial;                 ///< which opening of a port carried it
        juce::String portIdentifier;
        std::vector<juce::uint8> bytes;
    };

    /** Replaces the port list; each identifier is the name with "id:" in front. */
    void setPorts (const juce::StringArray& names);

    /** Makes the next opens of the named port fail. */
    void failNextOpens (const juce::String& name, int numOpens = 1);

    juce::Array<juce::MidiDeviceInfo> getAvailableOutputs() override;
    std::unique_ptr<MidiOutputPort> openOutput (const juce::String& identifier) override;

    std::vector<SentMessage> getSentMessages() const;
    int getNumOpens() const;          ///< successful opens
    int getNumOpenAttempts() const;
    /** Serials of the ports opened and not yet closed (destroyed). */
    std::set<int> getOpenPortSerials() const;

    static juce::String identifierFor (const juce::String& name)  { return "id:" + name; }

private:
    friend class RecordingMidiOutputPort;

    void _record (int serial, const juce::String& identifier, const juce::MidiMessage& message);
    void _closed (int serial);

    mutable juce::CriticalSection lock;
    juce::Array<juce::MidiDeviceInfo> ports;
    std::map<juce::String, int> pendingFailures;
    std::vector<SentMessage> sent;
    std::set<int> openSerials;
    int numOpens = 0, numOpenAttempts = 0;
};

#include "RecordingMidiPortProvider.h"

#include "RecordingMidiOutputPort.h"

#include <algorithm>

void RecordingMidiPortProvider::setPorts (const juce::StringArray& names)
{
    const juce::ScopedLock sl (lock);
    ports.clear();

    for (const auto& name : names)
        ports.add ({ name, identifierFor (name) });
}

void RecordingMidiPortProvider::failNextOpens (const juce::String& name, int count)
{
    const juce::ScopedLock sl (lock);
    pendingFailures[identifierFor (name)] = count;
}

juce::Array<juce::MidiDeviceInfo> RecordingMidiPortProvider::getAvailableOutputs()
{
    const juce::ScopedLock sl (lock);
    return ports;
}

std::unique_ptr<MidiOutputPort> RecordingMidiPortProvider::openOutput (const juce::String& identifier)
{
    const juce::ScopedLock sl (lock);
    ++numOpenAttempts;

    const auto listed = std::any_of (ports.begin(), ports.end(),
                                     [&] (const juce::MidiDeviceInfo& port) { return port.identifier == identifier; });

    if (! listed)
        return nullptr;

    if (auto it = pendingFailures.find (identifier); it != pendingFailures.end())
    {
        if (--it->second <= 0)
            pendingFailures.erase (it);

        return nullptr;
    }

    const auto serial = ++numOpens;
    openSerials.insert (serial);
    return std::make_unique<RecordingMidiOutputPort> (shared_from_this(), serial, identifier);
}

std::vector<RecordingMidiPortProvider::SentMessage> RecordingMidiPortProvider::getSentMessages() const
{
    const juce::ScopedLock sl (lock);
    return sent;
}

int RecordingMidiPortProvider::getNumOpens() const
{
    const juce::ScopedLock sl (lock);
    return numOpens;
}

int RecordingMidiPortProvider::getNumOpenAttempts() const
{
    const juce::ScopedLock sl (lock);
    return numOpenAttempts;
}

std::set<int> RecordingMidiPortProvider::getOpenPortSerials() const
{
    const juce::ScopedLock sl (lock);
    return openSerials;
}

void RecordingMidiPortProvider::_record (int serial, const juce::String& identifier, const juce::MidiMessage& message)
{
    const juce::ScopedLock sl (lock);
    const auto* data = message.getRawData();
    sent.push_back ({ serial, identifier, std::vector<juce::uint8> (data, data + message.getRawDataSize()) });
}

void RecordingMidiPortProvider::_closed (int serial)
{
    const juce::ScopedLock sl (lock);
    openSerials.erase (serial);
}

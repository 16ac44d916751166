#include "MeterRemoteCommand.h"

const std::array<MeterRemoteCommand, 6> MeterRemoteCommand::m_sRemoteCommands {{
    { "Start",          0x06 },
    { "Stop",           0x07 },
    { "Reset Loudness", 0x05 },
    { "Time",           0x04 },
    { "Ref +",          0x02 },
    { "Ref -",          0x01 },
}};

juce::MidiMessage MeterRemoteCommand::createMessage() const
{
    // Universal real-time System Exclusive, device 0, MIDI Machine Control command.
    const juce::uint8 bytes[] = { 0xf0, 0x7f, 0x00, 0x06, command, 0xf7 };
    return juce::MidiMessage (bytes, (int) sizeof (bytes), 0.0);
}

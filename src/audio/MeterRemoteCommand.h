#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>

/** One of the meter's six remote commands: the caption of the editor button that sends it (an
    English phrase, translated where it is shown) and its MIDI Machine Control command byte. The
    meter gives the codes the functions the captions name; the standard's names for the codes
    ("Stop" is 0x01 there) do not apply. */
struct MeterRemoteCommand
{
    const char* caption;
    juce::uint8 command;

    /** The message the meter expects: F0 7F 00 06 <command> F7, time stamp 0. */
    juce::MidiMessage createMessage() const;

    /** The six commands in the order of the editor's buttons. */
    static const std::array<MeterRemoteCommand, 6> m_sRemoteCommands;
};

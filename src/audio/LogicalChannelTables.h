#pragma once

#include <array>
#include <string>

constexpr int numLogicalChannels = 60;

/* Names of the logical channel positions the meter measures. Entry i of LogicalChannelLabels
   (the short label) and of LogicalChannelDescriptions (the long name) names logical channel i;
   the channel-mode lists (UsbPluginAudioProcessor::getLogicalChannelsUnmapped) index them.
   Shown exactly as stored, never translated: "Centre" and "Center" both occur. */

inline const std::array<std::wstring, numLogicalChannels> LogicalChannelLabels {
    L"L", L"R", L"C", L"S", L"LFE", L"LS", L"RS", L"LC", L"RC", L"LSR", L"RSR", L"M", L"1", L"2", L"3", L"4",
    L"5", L"6", L"7", L"8", L"9", L"10", L"11", L"12", L"13", L"14", L"15", L"16", L"17", L"18", L"19",
    L"20", L"21", L"22", L"23", L"24", L"LSS", L"RSS", L"LSc", L"RSc", L"LF", L"RF", L"CB", L"CTF", L"LT",
    L"RT", L"LTF", L"RTF", L"LTS", L"RTS", L"LTR", L"RTR", L"LTB", L"RTB", L"CTB", L"CT", L"CBF", L"LBF",
    L"RBF", L"LFE2"
};

inline const std::array<std::wstring, numLogicalChannels> LogicalChannelDescriptions {
    L"Left", L"Right", L"Centre", L"Surround", L"Low Frequency Effects", L"Left Surround", L"Right Surround",
    L"Left Center", L"Right Center", L"Left Surround Rear", L"Right Surround Rear", L"Mono", L"1", L"2",
    L"3", L"4", L"5", L"6", L"7", L"8", L"9", L"10", L"11", L"12", L"13", L"14", L"15", L"16", L"17", L"18",
    L"19", L"20", L"21", L"22", L"23", L"24", L"Left Surround Side", L"Right Surround Side", L"Left Screen",
    L"Right Screen", L"Left Front", L"Right Front", L"Centre Back", L"Centre Top Front", L"Left Top",
    L"Right Top", L"Left Top Front", L"Right Top Front", L"Left Top Side", L"Right Top Side",
    L"Left Top Rear", L"Right Top Rear", L"Left Top Back", L"Right Top Back", L"Centre Top Back",
    L"Centre Top", L"Centre Bottom Front", L"Left Bottom Front", L"Right Bottom Front",
    L"Low Frequency Effects 2"
};

/** Names of the speaker layers of an immersive layout; nothing reads them yet. */
inline const std::array<std::wstring, 3> ChannelLayerLabels { L"Bottom Layer", L"Middle Layer", L"Upper Layer" };

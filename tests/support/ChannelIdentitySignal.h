#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <cmath>
#include <optional>

/** A test signal whose every sample says which input channel and which frame it came from, so
    that a test sees at the far end of the meter path whether channels were swapped, shifted
    against each other, dropped or invented. Exact in float for frames below 2^21; 0 is silence. */
namespace ChannelIdentitySignal
{
constexpr int maxChannels = 8;

inline float sampleFor (int channel, juce::int64 frame)
{
    return (float) ((frame + 1) * maxChannels + channel);
}

struct Decoded
{
    int channel;
    juce::int64 frame;
};

/** The channel and frame of a non-zero sample, or nothing for a value no channel could carry. */
inline std::optional<Decoded> decode (float sample)
{
    if (! (sample >= (float) maxChannels) || sample != std::floor (sample))
        return std::nullopt;

    const auto value = (juce::int64) sample;
    return Decoded { (int) (value % maxChannels), value / maxChannels - 1 };
}

/** numFrames frames from firstFrame on, for input channels 0 to numChannels - 1. */
inline juce::AudioBuffer<float> makeBlock (int numChannels, juce::int64 firstFrame, int numFrames)
{
    juce::AudioBuffer<float> block (numChannels, numFrames);

    for (int c = 0; c < numChannels; ++c)
        for (int i = 0; i < numFrames; ++i)
            block.setSample (c, i, sampleFor (c, firstFrame + i));

    return block;
}
} // namespace ChannelIdentitySignal

// What arrives at the meter: the input's samples, mapped, through the real input callback, the
// processor, the rings and the meter's read callback, each device driven block by block.

#include "ChannelIdentitySignal.h"
#include "MessagePump.h"
#include "MeterTestRig.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
using Options = MeterTestRig::Options;
constexpr int meterBlock = 64;

/** Drives the microphone and the meter of a routing rig. */
class MeterPathDriver
{
public:
    MeterPathDriver (MeterTestRig& rigToUse, int numInputChannels)
        : rig (rigToUse), numChannels (numInputChannels) {}

    /** Feeds input frames [firstFrame, firstFrame + numFrames) in one block. */
    bool feed (juce::int64 firstFrame, int numFrames)
    {
        return rig.registry.processBlock (MeterTestRig::micName,
                                          ChannelIdentitySignal::makeBlock (numChannels, firstFrame, numFrames),
                                          numFrames);
    }

    /** Plays one meter block; its first numChannels channels. */
    juce::AudioBuffer<float> play (int numSamples = meterBlock)
    {
        juce::AudioBuffer<float> played;
        EXPECT_TRUE (rig.registry.processBlock (MeterTestRig::meterName, {}, numSamples, &played));
        played.setSize (numChannels, played.getNumSamples(), true);
        return played;
    }

    MeterTestRig& rig;
    const int numChannels;
};

/** Samples of `played` that differ from the expectation: output j, sample i carries input channel
    mapping[j] of frames[i], or silence where frames[i] is negative. */
int countMismatches (const juce::AudioBuffer<float>& played, const std::vector<int>& mapping,
                     const std::vector<juce::int64>& frames)
{
    int mismatches = 0;

    for (int j = 0; j < played.getNumChannels(); ++j)
    {
        for (int i = 0; i < played.getNumSamples(); ++i)
        {
            const auto expected = frames[(size_t) i] < 0 ? 0.0f
                                                         : ChannelIdentitySignal::sampleFor (mapping[(size_t) j], frames[(size_t) i]);

            if (! (played.getSample (j, i) == expected))
                ++mismatches;
        }
    }

    return mismatches;
}

/** Frames first, first + 1, ... for `count` samples, then silence up to `length`. */
std::vector<juce::int64> framesFrom (juce::int64 first, int count, int length = meterBlock)
{
    std::vector<juce::int64> frames ((size_t) length, -1);

    for (int i = 0; i < count; ++i)
        frames[(size_t) i] = first + i;

    return frames;
}

//==============================================================================
struct MappingCase
{
    const char* what;
    std::vector<int> mapping;   // entry i: the input channel that meter output i plays
};

void PrintTo (const MappingCase& c, std::ostream* os)  { *os << c.what; }

class MeterPathMapping : public ::testing::TestWithParam<MappingCase> {};

TEST_P (MeterPathMapping, MeterPlaysTheInputChannelsInTheMappedOrder)
{
    const auto& mapping = GetParam().mapping;
    const auto numChannels = (int) mapping.size();
    Options options;
    options.inputChannels = numChannels;
    MeterTestRig rig (options);
    ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));

    for (size_t i = 0; i < mapping.size(); ++i)
        ASSERT_TRUE (rig.processor->setChannelMappingEntry (i, mapping[i], numChannels));

    ASSERT_TRUE (rig.setRouting (true));
    MeterPathDriver driver (rig, numChannels);

    // A fresh start plays silence until the first input block arrives.
    EXPECT_EQ (countMismatches (driver.play(), mapping, framesFrom (0, 0)), 0);

    ASSERT_TRUE (driver.feed (0, 256));

    for (int block = 0; block < 4; ++block)
        EXPECT_EQ (countMismatches (driver.play(), mapping, framesFrom (block * meterBlock, meterBlock)), 0)
            << "meter block " << block;
}

INSTANTIATE_TEST_SUITE_P (MeterPathMappings, MeterPathMapping, ::testing::Values (
    MappingCase { "stereoIdentity",    { 0, 1 } },
    MappingCase { "stereoSwapped",     { 1, 0 } },
    MappingCase { "surroundReordered", { 2, 0, 1, 5, 3, 4 } }),
    [] (const ::testing::TestParamInfo<MappingCase>& param) { return std::string (param.param.what); });

//==============================================================================
/** Routing on with a swapped stereo input. */
class MeterPathTransfer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));
        ASSERT_TRUE (rig.processor->setChannelMappingEntry (0, 1, 2));
        ASSERT_TRUE (rig.processor->setChannelMappingEntry (1, 0, 2));
        ASSERT_TRUE (rig.setRouting (true));
    }

    MeterTestRig rig;
    MeterPathDriver driver { rig, 2 };
    const std::vector<int> mapping { 1, 0 };
};

TEST_F (MeterPathTransfer, UnderrunPlaysWhatThereIsThenZerosOnEveryChannel)
{
    ASSERT_TRUE (driver.feed (0, 100));
    EXPECT_EQ (countMismatches (driver.play(), mapping, framesFrom (0, 64)), 0);
    EXPECT_EQ (countMismatches (driver.play(), mapping, framesFrom (64, 36)), 0);
    EXPECT_EQ (countMismatches (driver.play(), mapping, framesFrom (0, 0)), 0);

    ASSERT_TRUE (driver.feed (100, 10));
    EXPECT_EQ (countMismatches (driver.play(), mapping, framesFrom (100, 10)), 0);
}

TEST_F (MeterPathTransfer, OverrunDropsTheEndOfABlockAndKeepsTheOlderSamples)
{
    constexpr int ringSize = 30720;
    constexpr int inputBlock = 200;

    // 154 blocks of 200 are 30800 frames: the 154th keeps its first 120, the rest is dropped.
    for (int block = 0; block < 154; ++block)
        ASSERT_TRUE (driver.feed (block * inputBlock, inputBlock));

    EXPECT_EQ (countMismatches (driver.play(), mapping, framesFrom (0, 64)), 0);

    // One meter block made room for 64 frames: of the next block only those are kept.
    ASSERT_TRUE (driver.feed (30800, inputBlock));

    std::vector<juce::int64> expectedFrames;

    for (juce::int64 frame = 64; frame < ringSize; ++frame)
        expectedFrames.push_back (frame);

    for (juce::int64 frame = 30800; frame < 30800 + 64; ++frame)
        expectedFrames.push_back (frame);

    ASSERT_EQ (expectedFrames.size(), (size_t) ringSize);
    int mismatches = 0;

    for (size_t start = 0; start < expectedFrames.size(); start += meterBlock)
    {
        const std::vector<juce::int64> frames (expectedFrames.begin() + (std::ptrdiff_t) start,
                                               expectedFrames.begin() + (std::ptrdiff_t) start + meterBlock);
        mismatches += countMismatches (driver.play(), mapping, frames);
    }

    EXPECT_EQ (mismatches, 0);
    EXPECT_EQ (countMismatches (driver.play(), mapping, framesFrom (0, 0)), 0) << "the rings were not empty";
}

TEST_F (MeterPathTransfer, AfterRoutingOffTheInputIsIgnoredAndTheNextStartBeginsEmpty)
{
    ASSERT_TRUE (driver.feed (0, 100));
    ASSERT_TRUE (rig.setRouting (false));
    ASSERT_TRUE (driver.feed (100, 100));

    ASSERT_TRUE (rig.setRouting (true));
    EXPECT_EQ (countMismatches (driver.play(), mapping, framesFrom (0, 0)), 0);

    ASSERT_TRUE (driver.feed (200, 50));
    EXPECT_EQ (countMismatches (driver.play(), mapping, framesFrom (200, 50)), 0);
}
} // namespace

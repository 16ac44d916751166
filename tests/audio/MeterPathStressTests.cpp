// The meter path under load, for ThreadSanitizer: the input and the meter driven from two threads
// with random block sizes while the message thread swaps the mapping and switches routing off and
// on, which rebuilds the rings on the handler thread.

#include "ChannelIdentitySignal.h"
#include "MessagePump.h"
#include "MeterTestRig.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

namespace
{
constexpr int numChannels = 6;
constexpr juce::int64 maxFrames = 2000000;   // the signal numbers frames exactly below 2^21

/** What the meter thread saw wrong in the frames it played. */
struct PlayedFrameChecks
{
    std::atomic<int> misaligned { 0 };   ///< channels of one frame from different input frames
    std::atomic<int> invented { 0 };     ///< a value no input channel carried, or a frame not yet fed
    std::atomic<int> outOfOrder { 0 };   ///< a frame not later than the one before
    std::atomic<int> unwritten { 0 };
    std::atomic<juce::int64> framesPlayed { 0 };
};

void checkPlayedBlock (const juce::AudioBuffer<float>& played, int numSamples, juce::int64 framesFedSoFar,
                       juce::int64& lastFrame, PlayedFrameChecks& checks)
{
    for (int i = 0; i < numSamples; ++i)
    {
        int numSilent = 0;
        juce::int64 frame = -1;
        bool frameDiffers = false;

        for (int ch = 0; ch < numChannels; ++ch)
        {
            const auto sample = played.getSample (ch, i);

            if (std::isnan (sample))
            {
                ++checks.unwritten;
                continue;
            }

            if (sample == 0.0f)
            {
                ++numSilent;
                continue;
            }

            const auto decoded = ChannelIdentitySignal::decode (sample);

            if (! decoded.has_value() || decoded->channel >= numChannels || decoded->frame >= framesFedSoFar)
            {
                ++checks.invented;
                continue;
            }

            if (frame >= 0 && decoded->frame != frame)
                frameDiffers = true;

            frame = decoded->frame;
        }

        if (numSilent == numChannels)
            continue;   // an underrun

        if (numSilent != 0 || frameDiffers)
            ++checks.misaligned;

        if (frame >= 0)
        {
            if (frame <= lastFrame)
                ++checks.outOfOrder;

            lastFrame = frame;
            ++checks.framesPlayed;
        }
    }
}

TEST (MeterPathStress, TwoAudioThreadsWithRestartsAndMappingSwapsKeepChannelsAligned)
{
    MeterTestRig::Options options;
    options.inputChannels = numChannels;
    MeterTestRig rig (options);
    ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));
    ASSERT_TRUE (rig.setRouting (true));

    std::atomic<bool> done { false };
    std::atomic<juce::int64> framesFed { 0 }, meterSamples { 0 };
    PlayedFrameChecks checks;

    std::thread inputThread ([&]
    {
        juce::Random random (1);
        juce::int64 frame = 0;

        while (! done)
        {
            // Kept a little ahead of the meter, so that both overruns and underruns happen, and
            // below the frames the signal can number exactly.
            if (frame > meterSamples + 2 * 30720 || frame >= maxFrames)
            {
                std::this_thread::sleep_for (std::chrono::microseconds (100));
                continue;
            }

            const auto n = random.nextInt ({ 1, 257 });
            const auto block = ChannelIdentitySignal::makeBlock (numChannels, frame, n);

            // Published first: the meter may play these frames before processBlock returns.
            framesFed = frame + n;

            if (rig.registry.processBlock (MeterTestRig::micName, block, n))
                frame += n;
        }
    });

    std::thread meterThread ([&]
    {
        juce::Random random (2);
        juce::int64 lastFrame = -1;
        juce::AudioBuffer<float> played;

        while (! done)
        {
            const auto n = random.nextInt ({ 1, 65 });

            // Read after the block: every frame it played was published before it was written.
            if (rig.registry.processBlock (MeterTestRig::meterName, {}, n, &played))
            {
                meterSamples += n;
                checkPlayedBlock (played, n, framesFed.load(), lastFrame, checks);
            }

            std::this_thread::sleep_for (std::chrono::microseconds (random.nextInt (100)));
        }
    });

    const std::array<std::array<int, numChannels>, 3> mappings {{
        { 0, 1, 2, 3, 4, 5 },
        { 5, 4, 3, 2, 1, 0 },
        { 1, 2, 3, 4, 5, 0 } }};

    int restarts = 0;

    for (int cycle = 0; cycle < 12; ++cycle)
    {
        for (int swap = 0; swap < 20; ++swap)
        {
            // Entry by entry, as the routing editor does: in between, two entries may be the same.
            const auto& mapping = mappings[(size_t) (cycle + swap) % mappings.size()];

            for (size_t i = 0; i < mapping.size(); ++i)
                rig.processor->setChannelMappingEntry (i, mapping[i], numChannels);

            pumpMessagesFor (5);
        }

        if (! rig.setRouting (false) || ! rig.setRouting (true))
            break;

        ++restarts;
    }

    done = true;
    inputThread.join();
    meterThread.join();

    EXPECT_EQ (restarts, 12);
    EXPECT_EQ (checks.misaligned.load(), 0);
    EXPECT_EQ (checks.invented.load(), 0);
    EXPECT_EQ (checks.outOfOrder.load(), 0);
    EXPECT_EQ (checks.unwritten.load(), 0);
    EXPECT_GT (checks.framesPlayed.load(), 10000) << "too little audio reached the meter to tell";
}
} // namespace

// The meter path under load, for ThreadSanitizer: the input and the meter driven from two threads
// with random block sizes while the message thread swaps the mapping (directly and through the
// routing editor) and switches routing off and on, which rebuilds the rings on the handler thread.

#include "ChannelIdentitySignal.h"
#include "MessagePump.h"
#include "MeterTestRig.h"

#include "gui/RoutingComponent.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
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

/** How fast the two audio threads of TwoThreadMeterPath run. */
struct MeterPathPace
{
    int maxInputBlock = 256;       ///< input blocks have 1 to this many frames
    int maxMeterPauseUs = 100;     ///< the meter pauses up to this long after each block
};

/** Feeds the rig's microphone and plays its meter from two threads of their own until destroyed:
    the input with blocks of the channel-identity signal, kept a little ahead of the meter so that
    both overruns and underruns happen, the meter with blocks of 1 to 64 samples, each played
    block handed to `check` on the meter thread with the frames fed so far. */
class TwoThreadMeterPath
{
public:
    using BlockCheck = std::function<void (const juce::AudioBuffer<float>& played, int numSamples, juce::int64 framesFedSoFar)>;

    TwoThreadMeterPath (MeterTestRig& rig, int numInputChannels, BlockCheck checkToUse, MeterPathPace paceToUse = {})
        : check (std::move (checkToUse)),
          pace (paceToUse),
          inputThread ([this, &rig, numInputChannels] { feedInput (rig, numInputChannels); }),
          meterThread ([this, &rig] { playMeter (rig); })
    {
    }

    ~TwoThreadMeterPath()
    {
        done = true;
        inputThread.join();
        meterThread.join();
    }

private:
    void feedInput (MeterTestRig& rig, int numInputChannels)
    {
        juce::Random random (1);
        juce::int64 frame = 0;

        while (! done)
        {
            // Kept below the frames the signal can number exactly.
            if (frame > meterSamples + 2 * 30720 || frame >= maxFrames)
            {
                std::this_thread::sleep_for (std::chrono::microseconds (100));
                continue;
            }

            const auto n = random.nextInt ({ 1, pace.maxInputBlock + 1 });
            const auto block = ChannelIdentitySignal::makeBlock (numInputChannels, frame, n);

            // Published first: the meter may play these frames before processBlock returns.
            framesFed = frame + n;

            if (rig.registry.processBlock (MeterTestRig::micName, block, n))
                frame += n;
        }
    }

    void playMeter (MeterTestRig& rig)
    {
        juce::Random random (2);
        juce::AudioBuffer<float> played;

        while (! done)
        {
            const auto n = random.nextInt ({ 1, 65 });

            // Read after the block: every frame it played was published before it was written.
            if (rig.registry.processBlock (MeterTestRig::meterName, {}, n, &played))
            {
                meterSamples += n;
                check (played, n, framesFed.load());
            }

            if (pace.maxMeterPauseUs > 0)
                std::this_thread::sleep_for (std::chrono::microseconds (random.nextInt (pace.maxMeterPauseUs)));
        }
    }

    const BlockCheck check;
    const MeterPathPace pace;
    std::atomic<bool> done { false };
    std::atomic<juce::int64> framesFed { 0 }, meterSamples { 0 };
    std::thread inputThread, meterThread;
};

TEST (MeterPathStress, TwoAudioThreadsWithRestartsAndMappingSwapsKeepChannelsAligned)
{
    MeterTestRig::Options options;
    options.inputChannels = numChannels;
    MeterTestRig rig (options);
    ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));
    ASSERT_TRUE (rig.setRouting (true));

    PlayedFrameChecks checks;
    juce::int64 lastFrame = -1;   // meter thread only
    auto path = std::make_unique<TwoThreadMeterPath> (rig, numChannels, [&] (const auto& played, int n, juce::int64 framesFedSoFar)
    {
        checkPlayedBlock (played, n, framesFedSoFar, lastFrame, checks);
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
            // Entry by entry, each published on its own: in between, two entries may be the same.
            const auto& mapping = mappings[(size_t) (cycle + swap) % mappings.size()];

            for (size_t i = 0; i < mapping.size(); ++i)
                rig.processor->setChannelMappingEntry (i, mapping[i], numChannels);

            pumpMessagesFor (5);
        }

        if (! rig.setRouting (false) || ! rig.setRouting (true))
            break;

        ++restarts;
    }

    path.reset();

    EXPECT_EQ (restarts, 12);
    EXPECT_EQ (checks.misaligned.load(), 0);
    EXPECT_EQ (checks.invented.load(), 0);
    EXPECT_EQ (checks.outOfOrder.load(), 0);
    EXPECT_EQ (checks.unwritten.load(), 0);
    EXPECT_GT (checks.framesPlayed.load(), 10000) << "too little audio reached the meter to tell";
}

/** The input channel a played sample carries, or -1 for silence and values no input carried. */
int inputChannelOf (float sample)
{
    if (sample == 0.0f || std::isnan (sample))
        return -1;

    const auto decoded = ChannelIdentitySignal::decode (sample);
    return decoded.has_value() ? decoded->channel : -1;
}

InputChannelRow* routingRow (RoutingComponent& routing, size_t index)
{
    size_t seen = 0;

    for (auto* child : routing.getChildren())
        if (auto* row = dynamic_cast<InputChannelRow*> (child))
            if (seen++ == index)
                return row;

    return nullptr;
}

// The routing editor's choice swaps two mapping entries. If the input thread could map a block
// between the two writes, both meter channels would play the same input for that block.
TEST (MeterPathStress, RoutingEditorSwapsNeverFeedOneInputToTwoMeterChannels)
{
    constexpr int numInputs = 2;
    MeterTestRig::Options options;
    options.inputChannels = numInputs;
    MeterTestRig rig (options);
    ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));
    ASSERT_TRUE (rig.setRouting (true));

    RoutingComponent routing (rig.processor.get(), &rig.processor->channelMapping);
    ASSERT_NE (routingRow (routing, 1), nullptr);

    // Small input blocks without pauses: the input thread reads the mapping as often as it can.
    MeterPathPace pace;
    pace.maxInputBlock = 4;
    pace.maxMeterPauseUs = 0;

    std::atomic<int> framesWithOneInputTwice { 0 }, framesPlayed { 0 };
    auto path = std::make_unique<TwoThreadMeterPath> (rig, numInputs, [&] (const auto& played, int n, juce::int64)
    {
        for (int i = 0; i < n; ++i)
        {
            const auto first = inputChannelOf (played.getSample (0, i));
            const auto second = inputChannelOf (played.getSample (1, i));

            if (first >= 0 && first == second)
                ++framesWithOneInputTwice;

            if (first >= 0 || second >= 0)
                ++framesPlayed;
        }
    }, pace);

    for (int swap = 0; swap < 3000; ++swap)
    {
        // The first row picks the input the second row has; the choice rebuilds the rows.
        auto* row = routingRow (routing, 0);
        ASSERT_NE (row, nullptr);
        const auto other = rig.processor->channelMapping[1];
        row->comboBox->setSelectedItemIndex (other, juce::sendNotificationSync);
        ASSERT_EQ (rig.processor->channelMapping[0], other) << "the choice did not reach the mapping";

        if (swap % 50 == 0)
            pumpMessagesFor (1);
    }

    path.reset();

    EXPECT_EQ (framesWithOneInputTwice.load(), 0);
    EXPECT_GT (framesPlayed.load(), 10000) << "too little audio reached the meter to tell";
}
} // namespace

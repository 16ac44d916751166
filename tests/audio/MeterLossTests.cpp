// The meter going away while routing without the framework stopping its device, and a meter that
// cannot run with the outputs routing needs: the handler must leave Routing and never resume it
// by itself.

#include "ChannelIdentitySignal.h"
#include "MessagePump.h"
#include "MeterTestRig.h"
#include "VirtualAudioDevice.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{
using Options = MeterTestRig::Options;
constexpr int inputBlock = 256;
constexpr int meterBlock = 64;

/** One input block through the microphone, then one meter block; whether the meter played it
    with the input's first sample on its first output. */
bool playThrough (MeterTestRig& rig, juce::int64 frame)
{
    rig.registry.processBlock (MeterTestRig::micName, ChannelIdentitySignal::makeBlock (2, frame, inputBlock), inputBlock);

    juce::AudioBuffer<float> played;
    return rig.registry.processBlock (MeterTestRig::meterName, {}, meterBlock, &played)
        && played.getNumChannels() > 0 && played.getSample (0, 0) != 0.0f;
}

/** Keeps the input running, and the meter device as far as it still calls back, until the handler
    is no longer routing. */
bool runUntilRoutingEnds (MeterTestRig& rig, int timeoutMs = 5000)
{
    juce::int64 frame = 0;

    return pumpMessagesUntil ([&]
    {
        playThrough (rig, frame);
        frame += inputBlock;
        return rig.handler().deviceState != DeviceState::Routing;
    }, timeoutMs);
}

struct LossCase
{
    const char* what;
    std::function<void (VirtualAudioDevice&)> loseMeter;
};

void PrintTo (const LossCase& c, std::ostream* os)  { *os << c.what; }

class MeterLoss : public ::testing::TestWithParam<LossCase> {};

TEST_P (MeterLoss, MeterLostWhileRoutingEndsRoutingAndReturnsWithRoutingOff)
{
    MeterTestRig rig;
    auto& handler = rig.handler();
    ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));
    ASSERT_TRUE (rig.setRouting (true));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return playThrough (rig, 0); })) << "no audio reached the meter";

    auto* meter = rig.registry.findOpenDevice (MeterTestRig::meterName);
    ASSERT_NE (meter, nullptr);
    const auto broadcastsBefore = rig.getNumBroadcasts();
    const auto closesBefore = rig.registry.getNumCloses (MeterTestRig::meterName);
    GetParam().loseMeter (*meter);

    ASSERT_TRUE (runUntilRoutingEnds (rig)) << "the lost meter still counts as routing";
    EXPECT_GT (rig.registry.getNumCloses (MeterTestRig::meterName), closesBefore) << "the lost meter was left open";

    // The meter is still listed, so the search finds it again: routing off, the request cancelled.
    ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));
    EXPECT_EQ (handler.requestedState.load(), 0);
    EXPECT_GT (rig.getNumBroadcasts(), broadcastsBefore);

    pumpMessagesFor (300);
    EXPECT_EQ (handler.deviceState.load(), DeviceState::DeviceReady) << "routing resumed by itself";
    EXPECT_EQ (rig.registry.findOpenDevice (MeterTestRig::meterName), nullptr);

    ASSERT_TRUE (rig.setRouting (true));
    EXPECT_TRUE (pumpMessagesUntil ([&] { return playThrough (rig, 0); })) << "a new routing request plays nothing";
}

INSTANTIATE_TEST_SUITE_P (MeterLosses, MeterLoss, ::testing::Values (
    LossCase { "callbacksStopWithoutAStop", [] (VirtualAudioDevice& meter) { meter.stopCallingBack(); } },
    LossCase { "restartWithFewerOutputs",   [] (VirtualAudioDevice& meter) { meter.restartWithActiveOutputs (1); } },
    LossCase { "restartWithNoOutputs",      [] (VirtualAudioDevice& meter) { meter.restartWithActiveOutputs (0); } }),
    [] (const ::testing::TestParamInfo<LossCase>& param) { return std::string (param.param.what); });

// What must not count as a lost meter: a restart with every output routing asked for (JACK
// restarts a client whose connections change), and a pause of both devices together (here the
// test is the clock of both; a real input that stalls leaves the meter playing zeros).
TEST (MeterLossNotCounted, RestartWithAllOutputsOrAPauseOfBothDevicesKeepsRouting)
{
    MeterTestRig rig;
    auto& handler = rig.handler();
    ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));
    ASSERT_TRUE (rig.setRouting (true));

    auto* meter = rig.registry.findOpenDevice (MeterTestRig::meterName);
    ASSERT_NE (meter, nullptr);
    meter->restartWithActiveOutputs (2);
    ASSERT_TRUE (pumpMessagesUntil ([&] { return playThrough (rig, 0); })) << "no audio after the restart";

    pumpMessagesFor (1000);
    EXPECT_EQ (handler.deviceState.load(), DeviceState::Routing);
    EXPECT_TRUE (playThrough (rig, 0));
}

// JUCE's JACK device may first start the meter with no output connected and restart it once JACK
// reports the connections: routing waits for that restart.
TEST (MeterLossAtOpening, MeterWhoseOutputsConnectAfterItsStartIsRouted)
{
    Options options;
    auto meter = MeterTestRig::meterDescription();
    meter.outputsConnectAfterStart = true;
    options.outputs = { meter };
    MeterTestRig rig (options);
    ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));

    ASSERT_TRUE (rig.setRouting (true));
    EXPECT_TRUE (pumpMessagesUntil ([&] { return playThrough (rig, 0); })) << "no audio reached the meter";
    pumpMessagesFor (300);
    EXPECT_EQ (rig.handler().deviceState.load(), DeviceState::Routing);
}

// A routing request is granted only when the meter device runs with an output for every input
// channel; here the meter has two and the input six.
TEST (MeterLossAtOpening, RoutingRequestOnAMeterWithFewerOutputsThanInputsIsRefused)
{
    Options options;
    options.outputs = { VirtualDeviceDescription::output (MeterTestRig::meterName, 2) };
    options.inputChannels = 6;
    MeterTestRig rig (options);
    auto& handler = rig.handler();
    ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));

    bool sawRouting = false;

    // The refused opening ends in Searching; the search that follows finds the meter again.
    ASSERT_TRUE (rig.requestRoutingAndWaitForRefusal (1, sawRouting));

    EXPECT_FALSE (sawRouting);
    EXPECT_FALSE (handler.outputActive.load());
}
} // namespace

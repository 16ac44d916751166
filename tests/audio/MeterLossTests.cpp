// The meter going away while routing without the framework stopping its device, and a meter that
// cannot run with the outputs routing needs: the handler must leave Routing and never resume it
// by itself.

#include "ChannelIdentitySignal.h"
#include "FakeJackServer.h"
#include "MessagePump.h"
#include "MeterTestRig.h"
#include "VirtualAudioDevice.h"

#include "audio/jack/JackAudioDeviceType.h"

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
    is no longer routing; `eachBlock` runs after every block. */
bool runUntilRoutingEnds (MeterTestRig& rig, const std::function<void()>& eachBlock = {}, int timeoutMs = 5000)
{
    juce::int64 frame = 0;

    return pumpMessagesUntil ([&]
    {
        playThrough (rig, frame);
        frame += inputBlock;

        if (eachBlock)
            eachBlock();

        return rig.handler().deviceState != DeviceState::Routing;
    }, timeoutMs);
}

/** Input blocks with no meter block, until the handler has looked at its clock `numReads` times. */
bool feedInputOnlyUntilClockReads (MeterTestRig& rig, int numReads)
{
    const auto target = rig.clock.getNumReads() + numReads;
    juce::int64 frame = 0;

    return pumpMessagesUntil ([&]
    {
        rig.registry.processBlock (MeterTestRig::micName, ChannelIdentitySignal::makeBlock (2, frame, inputBlock), inputBlock);
        frame += inputBlock;
        return rig.clock.getNumReads() >= target;
    });
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

    // Without the 2000 ms re-probe only the handler's own handling of the loss can broadcast it.
    rig.processor->stopTimer();
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
    const auto& states = rig.broadcasts->states;
    ASSERT_GT (states.size(), (size_t) broadcastsBefore);
    EXPECT_EQ (states[(size_t) broadcastsBefore], DeviceState::Searching) << "the loss itself is not broadcast";

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

// The meter watch measures each routing session's silence on its own: a lag of the meter early in
// a new session (input arriving, no meter block yet) is no loss, whatever the last session left.
TEST (MeterLossSilenceClock, NewSessionAfterALossFoundByTheWatchStartsItsSilenceClockAfresh)
{
    Options options;
    options.manualClock = true;
    MeterTestRig rig (options);
    auto& handler = rig.handler();
    ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));
    ASSERT_TRUE (rig.setRouting (true));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return playThrough (rig, 0); }));

    auto* meter = rig.registry.findOpenDevice (MeterTestRig::meterName);
    ASSERT_NE (meter, nullptr);
    meter->stopCallingBack();
    ASSERT_TRUE (runUntilRoutingEnds (rig, [&] { rig.clock.advance (10); })) << "the watch found no loss";
    ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));

    ASSERT_TRUE (rig.setRouting (true));
    ASSERT_TRUE (feedInputOnlyUntilClockReads (rig, 2));
    rig.clock.advance (150);
    ASSERT_TRUE (feedInputOnlyUntilClockReads (rig, 3));
    EXPECT_EQ (handler.deviceState.load(), DeviceState::Routing) << "a 150 ms lag ended the new session";

    EXPECT_TRUE (playThrough (rig, 0));
    EXPECT_EQ (handler.deviceState.load(), DeviceState::Routing);
}

//==============================================================================
// The meter's description is made by each test: gtest keeps its parameters until the process
// ends, and JUCE's leak detector would count the descriptions' string arrays as leaked.
struct OpeningCase
{
    const char* what;
    VirtualDeviceDescription (*meter)();
    int inputChannels;
    /** How long on the handler's clock the opening waits for the meter's outputs before it gives
        up; 0: it gives up at once; -1: routing starts. */
    int refusedAfterMs;
};

void PrintTo (const OpeningCase& c, std::ostream* os)  { *os << c.what; }

std::vector<OpeningCase> openingCases()
{
    return {
        // JUCE's JACK device may first start the meter with no output connected and restart it
        // once JACK reports the connections: routing waits for that restart.
        { "outputsConnectAfterTheStart",
          [] { auto d = MeterTestRig::meterDescription(); d.outputsConnectAfterStart = true; return d; }, 2, -1 },
        { "outputsNeverConnect",
          [] { auto d = MeterTestRig::meterDescription(); d.outputsNeverConnect = true; return d; }, 2, 2000 },
        // Routing needs an output for every input channel: two outputs cannot carry six.
        { "fewerOutputsThanInputs", [] { return VirtualDeviceDescription::output (MeterTestRig::meterName, 2); }, 6, 0 },
    };
}

class MeterLossAtOpening : public ::testing::TestWithParam<OpeningCase> {};

// The handler's clock moves only when the test moves it, so "at once" means before the wait for
// the outputs could have ended.
TEST_P (MeterLossAtOpening, RoutingStartsOnlyOnceTheMeterRunsWithAnOutputForEveryInputChannel)
{
    const auto& c = GetParam();
    Options options;
    options.outputs = { c.meter() };
    options.inputChannels = c.inputChannels;
    options.manualClock = true;
    MeterTestRig rig (options);
    auto& handler = rig.handler();
    ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));

    if (c.refusedAfterMs < 0)
    {
        ASSERT_TRUE (rig.setRouting (true));
        EXPECT_TRUE (pumpMessagesUntil ([&] { return playThrough (rig, 0); })) << "no audio reached the meter";
        EXPECT_EQ (handler.deviceState.load(), DeviceState::Routing);
        return;
    }

    const auto opensBefore = rig.registry.getNumOpens (MeterTestRig::meterName);
    const auto broadcastsBefore = rig.broadcasts->states.size();
    handler.requestedState = DeviceState::Routing;
    handler.notify();

    if (c.refusedAfterMs > 0)
    {
        // Still waiting a millisecond before the time is up.
        ASSERT_TRUE (rig.waitForClockReads (2));
        rig.clock.advance ((juce::uint32) c.refusedAfterMs - 1);
        ASSERT_TRUE (rig.waitForClockReads (2));
        EXPECT_EQ (handler.deviceState.load(), DeviceState::DeviceReady);
        EXPECT_EQ (handler.requestedState.load(), DeviceState::Routing);
        EXPECT_NE (rig.registry.findOpenDevice (MeterTestRig::meterName), nullptr);
        rig.clock.advance (1);
    }

    // The refused opening ends in Searching; the search that follows finds the meter again.
    ASSERT_TRUE (rig.waitForRefusal (opensBefore, 1));
    EXPECT_FALSE (rig.broadcasts->sawState (DeviceState::Routing, broadcastsBefore));
    EXPECT_FALSE (handler.outputActive.load());
}

INSTANTIATE_TEST_SUITE_P (MeterOpenings, MeterLossAtOpening, ::testing::ValuesIn (openingCases()),
    [] (const ::testing::TestParamInfo<OpeningCase>& param) { return std::string (param.param.what); });
//==============================================================================
// The meter on JACK, and another type listed before it with an output (ALSA on a JACK desktop):
// the server's end while routing closes the meter and opens nothing in its place, neither the
// sound card the server needs to start again nor a sound server's PCM that never starts.
TEST (MeterLossOfTheJackServer, ServerEndWhileRoutingOpensNoOtherTypesOutput)
{
    FakeJackServer server;
    server.addClient (MeterTestRig::meterName.toStdString(), 6, 0);
    const auto session = std::make_shared<JackServerSession> (server, 200);

    Options options;
    options.outputs.clear();
    options.deviceTypes = [session] (VirtualDeviceRegistry& registry) -> AudioDeviceTypeFactory
    {
        auto virtualTypes = registry.makeFactory();

        return [virtualTypes, session]
        {
            auto types = virtualTypes();
            types.push_back (std::make_unique<JackAudioDeviceType> (session));
            return types;
        };
    };

    {
        MeterTestRig rig (options);
        auto& handler = rig.handler();
        rig.processor->stopTimer();
        ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));
        ASSERT_EQ (handler.deviceName, MeterTestRig::meterName);
        ASSERT_TRUE (rig.setRouting (true));
        const auto speakerOpens = rig.registry.getNumOpens (MeterTestRig::speakersName);

        server.stop();
        ASSERT_TRUE (pumpMessagesUntil ([&] { server.deliverNotifications(); return handler.deviceState != DeviceState::Routing; }));
        pumpMessagesFor (300);

        EXPECT_EQ (rig.registry.getNumOpens (MeterTestRig::speakersName), speakerOpens)
            << "the meter's manager fell back to another type's output";
        EXPECT_EQ (handler.outputDeviceManager.getCurrentAudioDevice(), nullptr);
        EXPECT_EQ (handler.deviceState.load(), DeviceState::Searching);
    }

    for (auto& violation : server.violations)
        ADD_FAILURE() << violation;
}
} // namespace

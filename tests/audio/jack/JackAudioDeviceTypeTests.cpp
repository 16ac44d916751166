// The program's JACK device type on a server of the test's own: the device list, connections that
// the server reports late, the server's end and return, and a close that never returns.

#include "FakeJackServer.h"
#include "MessagePump.h"
#include "audio/jack/JackAudioDevice.h"
#include "audio/jack/JackAudioDeviceType.h"

#include <gtest/gtest.h>

namespace
{
const juce::String sourceName ("Test Source");
const juce::String meterName ("KM7-Solvin Output");

std::string listed (const juce::StringArray& names)
{
    return names.joinIntoString (", ").toStdString();
}

/** Records what a device does with its callback. */
class RecordingCallback : public juce::AudioIODeviceCallback
{
public:
    void audioDeviceIOCallbackWithContext (const float* const* inputs, int numInputs, float* const* outputs, int numOutputs,
                                           int numSamples, const juce::AudioIODeviceCallbackContext&) override
    {
        ++numBlocks;
        lastNumInputs = numInputs;
        lastNumOutputs = numOutputs;
        firstInputSamples.clear();

        for (int c = 0; c < numInputs; ++c)
            firstInputSamples.push_back (inputs[c][0]);

        for (int c = 0; c < numOutputs; ++c)
            juce::FloatVectorOperations::fill (outputs[c], -0.5f, numSamples);
    }

    void audioDeviceAboutToStart (juce::AudioIODevice*) override { ++numStarts; }
    void audioDeviceStopped() override { ++numStops; }

    int numStarts = 0, numStops = 0, numBlocks = 0, lastNumInputs = 0, lastNumOutputs = 0;
    std::vector<float> firstInputSamples;
};

class JackAudioDeviceTypeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        addClients();
        type = new JackAudioDeviceType (session);
        manager.addAudioDeviceType (std::unique_ptr<juce::AudioIODeviceType> (type));
        type->scanForDevices();
    }

    void TearDown() override
    {
        manager.closeAudioDevice();
        for (auto& violation : server.violations)
            ADD_FAILURE() << violation;
    }

    void addClients()
    {
        server.addClient ("system", 2, 2);
        server.addClient (sourceName.toStdString(), 0, 2);
        server.addClient (meterName.toStdString(), 6, 0);
    }

    /** Lets the server's notifications reach the program and the message thread handle them. */
    void settle()
    {
        for (int i = 0; i < 5; ++i)
        {
            server.deliverNotifications();
            pumpMessagesFor (5);
        }
    }

    juce::String open (const juce::String& input, const juce::String& output, int numInputs, int numOutputs)
    {
        juce::AudioDeviceManager::AudioDeviceSetup setup;
        setup.inputDeviceName = input;
        setup.outputDeviceName = output;
        setup.useDefaultInputChannels = setup.useDefaultOutputChannels = false;
        setup.inputChannels.setRange (0, numInputs, true);
        setup.outputChannels.setRange (0, numOutputs, true);
        return manager.setAudioDeviceSetup (setup, true);
    }

    FakeJackServer server;
    /** A close that has not returned within 200 ms counts as stuck (the fake's return at once). */
    std::shared_ptr<JackServerSession> session = std::make_shared<JackServerSession> (server, 200);
    juce::AudioDeviceManager manager;
    JackAudioDeviceType* type = nullptr;
    RecordingCallback callback;
};
} // namespace

TEST_F (JackAudioDeviceTypeTest, ListsTheClientsWithAudioPortsAndLeavesOutItsOwn)
{
    EXPECT_EQ (listed (type->getDeviceNames (true)), "system, Test Source");
    EXPECT_EQ (listed (type->getDeviceNames (false)), "system, KM7-Solvin Output");

    ASSERT_EQ (open ({}, meterName, 0, 6), juce::String());
    settle();

    auto* device = manager.getCurrentAudioDevice();
    ASSERT_NE (device, nullptr);
    EXPECT_EQ (device->getName(), meterName);
    EXPECT_EQ (listed (device->getOutputChannelNames()), "in_1, in_2, in_3, in_4, in_5, in_6");
    EXPECT_EQ (listed (type->getDeviceNames (true)), "system, Test Source") << "the program's own client is listed";

    // A client that comes is listed, one that goes is not, and the manager hears of both.
    int numChanges = 0;
    struct Counter : juce::AudioIODeviceType::Listener
    {
        explicit Counter (int& n) : count (n) {}
        void audioDeviceListChanged() override { ++count; }
        int& count;
    } counter (numChanges);
    type->addListener (&counter);

    server.addClient ("Recorder", 2, 0);
    settle();
    EXPECT_EQ (listed (type->getDeviceNames (false)), "system, KM7-Solvin Output, Recorder");
    server.removeClient ("Recorder");
    settle();
    EXPECT_EQ (listed (type->getDeviceNames (false)), "system, KM7-Solvin Output");
    EXPECT_EQ (numChanges, 2);
    type->removeListener (&counter);
}

TEST_F (JackAudioDeviceTypeTest, ChannelsCountAsActiveFromTheOwnConnectionOnWhenTheServerReportsItLate)
{
    server.reportConnectionsLate = true;
    ASSERT_EQ (open ({}, meterName, 0, 2), juce::String());
    manager.addAudioCallback (&callback);

    auto* device = manager.getCurrentAudioDevice();
    ASSERT_NE (device, nullptr);
    EXPECT_EQ (device->getActiveOutputChannels().countNumberOfSetBits(), 2) << "before the server reported the connections";

    server.runCycle();
    EXPECT_EQ (callback.lastNumOutputs, 2);
    EXPECT_EQ (server.lastSampleAt (meterName.toStdString() + ":in_1"), -0.5f);
    EXPECT_EQ (server.lastSampleAt (meterName.toStdString() + ":in_2"), -0.5f);
    EXPECT_EQ (server.lastSampleAt (meterName.toStdString() + ":in_3"), 0.0f);

    // The server's report changes nothing: no restart.
    const int startsBefore = callback.numStarts;
    settle();
    EXPECT_EQ (device->getActiveOutputChannels().countNumberOfSetBits(), 2);
    EXPECT_EQ (callback.numStarts, startsBefore);

    manager.removeAudioCallback (&callback);
}

TEST_F (JackAudioDeviceTypeTest, ServerLossStopsTheDeviceAndEmptiesTheListUntilTheServerIsBack)
{
    ASSERT_EQ (open (sourceName, {}, 2, 0), juce::String());
    manager.addAudioCallback (&callback);
    auto* device = manager.getCurrentAudioDevice();
    ASSERT_NE (device, nullptr);
    ASSERT_TRUE (device->isPlaying());

    server.runCycle();
    EXPECT_EQ (callback.firstInputSamples, (std::vector<float> { 0.125f, 0.25f }));

    // At once, before the message thread has heard: neither open nor playing.
    server.stop();
    EXPECT_FALSE (device->isOpen());
    EXPECT_FALSE (device->isPlaying());
    EXPECT_TRUE (JackAudioDevice::hasLostServer (device));

    // A scan at that moment closes the dead clients before it tries to open one (no violation).
    type->scanForDevices();
    EXPECT_TRUE (type->getDeviceNames (true).isEmpty());
    EXPECT_TRUE (type->getDeviceNames (false).isEmpty());
    EXPECT_EQ (server.getNumOpenClientsOfTheProgram(), 0);

    // The message thread tells the callback, and the manager closes the device that left.
    const int stopsBefore = callback.numStops;
    settle();
    EXPECT_EQ (callback.numStops, stopsBefore + 1);
    EXPECT_EQ (manager.getCurrentAudioDevice(), nullptr);

    type->scanForDevices();
    EXPECT_TRUE (type->getDeviceNames (true).isEmpty()) << "listed while the server is down";

    // The next scan after the server's return finds its clients, and the source opens again.
    server.start();
    addClients();
    type->scanForDevices();
    EXPECT_EQ (listed (type->getDeviceNames (true)), "system, Test Source");
    ASSERT_EQ (open (sourceName, {}, 2, 0), juce::String());
    ASSERT_NE (manager.getCurrentAudioDevice(), nullptr);
    EXPECT_TRUE (manager.getCurrentAudioDevice()->isPlaying());
    server.runCycle();
    EXPECT_EQ (callback.firstInputSamples, (std::vector<float> { 0.125f, 0.25f }));
    manager.removeAudioCallback (&callback);
}

// libjack reports the server's end on a thread of each client, which then goes on through libjack's
// own code; a close cancels that thread wherever it is, and where libjack has objects to destroy
// that ends the process. So no client is closed before its reporting thread has ended.
TEST_F (JackAudioDeviceTypeTest, ADeadClientIsClosedOnlyOnceTheThreadThatReportedTheLossHasEnded)
{
    ASSERT_EQ (open (sourceName, meterName, 2, 6), juce::String());
    manager.addAudioCallback (&callback);
    ASSERT_NE (manager.getCurrentAudioDevice(), nullptr);

    server.reportLossFromThreads = true;
    server.stop();
    EXPECT_TRUE (pumpMessagesUntil ([this] { return manager.getCurrentAudioDevice() == nullptr; }, 5000));
    EXPECT_EQ (server.getNumOpenClientsOfTheProgram(), 0);
    manager.removeAudioCallback (&callback);
    // The fake's violations (a close while a reporting thread ran) fail the test at its end.
}

TEST_F (JackAudioDeviceTypeTest, ACloseThatNeverReturnsAfterTheServerLossLeavesLibJackAloneForGood)
{
    ASSERT_EQ (open (sourceName, {}, 2, 0), juce::String());
    manager.addAudioCallback (&callback);
    auto* device = manager.getCurrentAudioDevice();
    ASSERT_NE (device, nullptr);
    ASSERT_TRUE (device->isPlaying());

    // libjack's close of a dead server's client waits for good on a lock that a thread it
    // cancelled left taken. The message thread comes back, the device stops and closes.
    const int stopsBefore = callback.numStops;
    server.closesBlock = true;
    server.stop();
    settle();
    EXPECT_TRUE (session->isLibJackStuck());
    EXPECT_EQ (callback.numStops, stopsBefore + 1);
    EXPECT_EQ (manager.getCurrentAudioDevice(), nullptr);

    // Every later open would wait for the stuck close too, so none is tried, even with a server.
    server.start();
    addClients();
    type->scanForDevices();
    EXPECT_TRUE (type->getDeviceNames (true).isEmpty());
    EXPECT_NE (open (sourceName, {}, 2, 0), juce::String());
    EXPECT_EQ (manager.getCurrentAudioDevice(), nullptr);

    manager.removeAudioCallback (&callback);
    server.releaseCloses();
    EXPECT_TRUE (pumpMessagesUntil ([this] { return ! server.isCloseUnderway(); }, 10000));
}

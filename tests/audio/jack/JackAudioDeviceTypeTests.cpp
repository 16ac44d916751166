// The program's JACK device type on a server of the test's own: the device list, connections that
// the server reports late, the server's end and return, and a close that never returns.

#include "FakeJackServer.h"
#include "MessagePump.h"
#include "audio/jack/JackAudioDevice.h"
#include "audio/jack/JackAudioDeviceType.h"

#include <gtest/gtest.h>

#include <thread>

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

    /** Opens the source as the input, with `callback` attached; null unless it plays. */
    juce::AudioIODevice* playSource()
    {
        if (open (sourceName, {}, 2, 0).isNotEmpty())
            return nullptr;

        manager.addAudioCallback (&callback);
        auto* device = manager.getCurrentAudioDevice();
        return device != nullptr && device->isPlaying() ? device : nullptr;
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

TEST_F (JackAudioDeviceTypeTest, TheDefaultInputIsTheFirstSourceThatIsNoSinksMonitor)
{
    EXPECT_EQ (type->getDefaultDeviceIndex (true), 0) << "system";

    // PipeWire with a desktop's speakers (whose monitor is a source too) and microphone.
    server.removeClient ("system");
    server.removeClient (sourceName.toStdString());
    server.addClient ("Desktop Speakers", 2, 2, "monitor_");
    server.addClient ("Desktop Microphone", 0, 2);
    type->scanForDevices();
    ASSERT_EQ (listed (type->getDeviceNames (true)), "Desktop Speakers, Desktop Microphone");
    EXPECT_EQ (type->getDefaultDeviceIndex (true), 1);
    EXPECT_EQ (type->getDefaultDeviceIndex (false), 0);
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
    auto* device = playSource();
    ASSERT_NE (device, nullptr);

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
    EXPECT_TRUE (server.getOpenClientsOfTheProgram().empty());

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

TEST_F (JackAudioDeviceTypeTest, ACloseThatNeverReturnsAfterTheServerLossLeavesLibJackAloneForGood)
{
    auto* device = playSource();
    ASSERT_NE (device, nullptr);

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

TEST_F (JackAudioDeviceTypeTest, EveryDeviceUsesTheProgramsOneClientAndLeavesNoConnectionBehind)
{
    // The settings window's input and the meter at once, as while routing.
    std::unique_ptr<juce::AudioIODevice> input (type->createDevice ("system", sourceName));
    ASSERT_EQ (open ({}, meterName, 0, 6), juce::String());
    ASSERT_EQ (input->open (3, 1, 48000, 64), juce::String());

    EXPECT_EQ (server.getOpenClientsOfTheProgram(), (std::vector<std::string> { JackServerSession::defaultClientName }));
    EXPECT_EQ (server.getPortsOfTheProgram (true).size(), 2u + 1u + 6u);

    // A device's connections go with it, and the lists never show the program.
    input.reset();
    EXPECT_EQ (server.getPortsOfTheProgram (true).size(), 6u);
    manager.closeAudioDevice();
    settle();
    EXPECT_TRUE (server.getPortsOfTheProgram (true).empty());
    EXPECT_EQ (listed (type->getDeviceNames (true)), "system, Test Source");
    EXPECT_EQ (server.getOpenClientsOfTheProgram().size(), 1u) << "the client stays for the next device";

    // The next devices take the ports they had again.
    const auto portsBefore = server.getPortsOfTheProgram();
    ASSERT_EQ (open ({}, meterName, 0, 6), juce::String());
    input.reset (type->createDevice ("system", sourceName));
    ASSERT_EQ (input->open (3, 1, 48000, 64), juce::String());
    EXPECT_EQ (server.getPortsOfTheProgram(), portsBefore);
    EXPECT_EQ (server.getPortsOfTheProgram (true).size(), 2u + 1u + 6u);
}

TEST_F (JackAudioDeviceTypeTest, AStoppedDeviceAndItsUnconnectedChannelsPlaySilence)
{
    server.connectAnswersExist = true; // the ports were linked already: still connected and active
    ASSERT_EQ (open ({}, meterName, 0, 2), juce::String());
    auto* device = manager.getCurrentAudioDevice();
    ASSERT_NE (device, nullptr);
    EXPECT_EQ (device->getActiveOutputChannels().countNumberOfSetBits(), 2);

    manager.addAudioCallback (&callback);
    server.runCycle();
    EXPECT_EQ (server.lastSampleAt (meterName.toStdString() + ":in_2"), -0.5f);

    // The server keeps what a port was last given; a stopped device gives silence.
    manager.removeAudioCallback (&callback);
    server.runCycle();
    EXPECT_EQ (server.lastSampleAt (meterName.toStdString() + ":in_1"), 0.0f);
    EXPECT_EQ (server.lastSampleAt (meterName.toStdString() + ":in_2"), 0.0f);
}

TEST_F (JackAudioDeviceTypeTest, StopReturnsOnlyOnceACycleInsideTheCallbackHasEnded)
{
    struct BlockingCallback : RecordingCallback
    {
        void audioDeviceIOCallbackWithContext (const float* const* in, int numIn, float* const* out, int numOut, int n,
                                               const juce::AudioIODeviceCallbackContext& context) override
        {
            entered.signal();
            released.wait (5000);
            stopReturnedInside = stopReturned.load();
            RecordingCallback::audioDeviceIOCallbackWithContext (in, numIn, out, numOut, n, context);
        }

        juce::WaitableEvent entered, released;
        std::atomic<bool> stopReturned { false }, stopReturnedInside { false };
    } blocking;

    ASSERT_EQ (open (sourceName, {}, 2, 0), juce::String());
    auto* device = manager.getCurrentAudioDevice();
    ASSERT_NE (device, nullptr);
    device->start (&blocking);

    std::thread cycle ([this] { server.runCycle(); });
    ASSERT_TRUE (blocking.entered.wait (5000));
    std::thread stopper ([&] { device->stop(); blocking.stopReturned = true; });

    // Time for a stop that does not wait to return; then the cycle ends.
    std::this_thread::sleep_for (std::chrono::milliseconds (50));
    blocking.released.signal();
    cycle.join();
    stopper.join();
    EXPECT_FALSE (blocking.stopReturnedInside.load());
    EXPECT_EQ (blocking.numStops, 1);
}

TEST_F (JackAudioDeviceTypeTest, ConnectionAndFormatChangesRestartTheCallbackWhichPlaysOn)
{
    ASSERT_EQ (open ({}, meterName, 0, 6), juce::String());
    manager.addAudioCallback (&callback);
    auto* device = manager.getCurrentAudioDevice();
    ASSERT_NE (device, nullptr);
    int changes = 0;
    struct Counter : juce::AudioIODeviceType::Listener
    {
        explicit Counter (int& n) : count (n) {}
        void audioDeviceListChanged() override { ++count; }
        int& count;
    } counter (changes);
    type->addListener (&counter);

    // A channel disconnected by someone else: five channels, and the callback plays on.
    const int startsBefore = callback.numStarts;
    server.removeClient (meterName.toStdString());
    server.addClient (meterName.toStdString(), 6, 0);
    settle();
    EXPECT_GT (callback.numStarts, startsBefore);
    EXPECT_EQ (device->getActiveOutputChannels().countNumberOfSetBits(), 0);

    // The server's rate and period change: the callback starts again with them, and the type's
    // listeners hear of it (the device manager takes the new set-up from there).
    ASSERT_EQ (open ({}, meterName, 0, 6), juce::String());
    device = manager.getCurrentAudioDevice();
    ASSERT_NE (device, nullptr);
    const int startsBeforeFormat = callback.numStarts, changesBefore = changes;
    server.setFormat (44100, 128);
    settle();
    EXPECT_EQ (callback.numStarts, startsBeforeFormat + 1);
    EXPECT_GT (changes, changesBefore);
    EXPECT_EQ (device->getCurrentSampleRate(), 44100.0);
    EXPECT_EQ (device->getCurrentBufferSizeSamples(), 128);

    const int blocksBefore = callback.numBlocks;
    server.runCycle (128);
    EXPECT_EQ (callback.numBlocks, blocksBefore + 1);
    EXPECT_EQ (callback.lastNumOutputs, 6);
    type->removeListener (&counter);
    manager.removeAudioCallback (&callback);
}

TEST_F (JackAudioDeviceTypeTest, AnInputWhoseClientLeavesIsClosed)
{
    ASSERT_EQ (open (sourceName, {}, 2, 0), juce::String());
    manager.addAudioCallback (&callback);
    ASSERT_NE (manager.getCurrentAudioDevice(), nullptr);

    server.removeClient (sourceName.toStdString());
    settle();
    auto* device = manager.getCurrentAudioDevice();
    EXPECT_TRUE (device == nullptr || device->getName() != sourceName);
    manager.removeAudioCallback (&callback);
}

namespace
{
struct ServerLoss
{
    const char* name;
    /** PipeWire's JACK reports the end only through the plain shutdown callback. */
    bool withoutReason;
    /** libjack reports it on a thread that goes on through its own code for a while. */
    bool fromThreads;
    /** The server is back, with the same clients, before the message thread hears of its end: the
        device list never empties. */
    bool backAtOnce;
    /** A device opens before the message thread hears of the end (after the server is back). */
    bool openBeforeTheUpdate;
};

class JackServerLossTest : public JackAudioDeviceTypeTest,
                           public ::testing::WithParamInterface<ServerLoss>
{
};
} // namespace

TEST_P (JackServerLossTest, StopsTheDeviceAndTheSourceOpensAndPlaysOnceTheServerIsBack)
{
    const auto& loss = GetParam();
    server.reportLossWithoutReason = loss.withoutReason;
    server.reportLossFromThreads = loss.fromThreads;

    auto* device = playSource();
    ASSERT_NE (device, nullptr);

    server.stop();

    if (loss.backAtOnce || loss.openBeforeTheUpdate)
    {
        server.start();
        addClients();
    }

    if (loss.openBeforeTheUpdate)
    {
        // A second device, as a probe of the meter opens one.
        std::unique_ptr<juce::AudioIODevice> probe (type->createDevice (meterName, {}));
        EXPECT_EQ (probe->open (0, 1, 48000, 64), juce::String());
        EXPECT_FALSE (JackAudioDevice::hasLostServer (probe.get()));
    }

    // The callback hears that the device stopped, whatever the list did meanwhile.
    EXPECT_TRUE (pumpMessagesUntil ([&] { server.deliverNotifications(); return callback.numStops == 1; }, 5000));
    device = manager.getCurrentAudioDevice();
    EXPECT_TRUE (device == nullptr || ! device->isPlaying());

    if (! loss.backAtOnce && ! loss.openBeforeTheUpdate)
    {
        server.start();
        addClients();
    }

    type->scanForDevices();
    settle();
    ASSERT_EQ (open (sourceName, {}, 2, 0), juce::String());
    device = manager.getCurrentAudioDevice();
    ASSERT_NE (device, nullptr);
    EXPECT_FALSE (JackAudioDevice::hasLostServer (device));
    EXPECT_TRUE (device->isPlaying());
    server.runCycle();
    EXPECT_EQ (callback.firstInputSamples, (std::vector<float> { 0.125f, 0.25f }));
    EXPECT_EQ (server.getOpenClientsOfTheProgram().size(), 1u);
    manager.removeAudioCallback (&callback);
}

INSTANTIATE_TEST_SUITE_P (Losses, JackServerLossTest,
                          ::testing::Values (ServerLoss { "jackd", false, false, false, false },
                                             ServerLoss { "PipeWire", true, false, false, false },
                                             ServerLoss { "reportedFromThreads", false, true, false, false },
                                             ServerLoss { "backBeforeTheUpdate", false, false, true, false },
                                             ServerLoss { "deviceOpenedBeforeTheUpdate", false, false, false, true }),
                          [] (const auto& info) { return std::string (info.param.name); });

// The input side through the real StandaloneProcessor and its input device manager, with virtual
// devices: what each input-device change does to the channel mode, the channel mapping, the meter
// handler and the editor's routing rows, and what the input callback plays; and on a JACK server
// of the test's own, the first start and the server's end and return.

#include "FakeJackServer.h"
#include "MessagePump.h"
#include "ScopedTemporaryHome.h"
#include "VirtualDeviceRegistry.h"

#include "app/StandaloneConfigFile.h"
#include "audio/ChannelMode.h"
#include "audio/jack/JackAudioDeviceType.h"
#include "audio/StandaloneProcessor.h"
#include "gui/UpdateRoutingMessage.h"
#include "gui/UsbPluginAudioProcessorEditor.h"

#include <gtest/gtest.h>

#include <functional>


namespace
{
const juce::String speakersName ("Virtual Speakers");
const juce::String stereoName ("Stereo In");
const juce::String otherStereoName ("Other Stereo In");
const juce::String surroundName ("Surround In");
const juce::String octoName ("Octo In");
const juce::String monoName ("Mono In");
const juce::String meterName ("KM7-Solvin Output");

using Mapping = std::vector<int32_t>;

Mapping realtimeEntries (const UsbPluginAudioProcessor& processor)
{
    Mapping entries;

    for (int i = 0; i < RealtimeChannelMapping::numEntries; ++i)
        entries.push_back (processor.realtimeMapping.load (i));

    return entries;
}

Mapping mappingOf (const UsbPluginAudioProcessor& processor)
{
    return { processor.channelMapping.begin(), processor.channelMapping.end() };
}

/** The real editor, counting the routing-row requests it receives. */
class RecordingEditor : public UsbPluginAudioProcessorEditor
{
public:
    using UsbPluginAudioProcessorEditor::UsbPluginAudioProcessorEditor;

    void handleMessage (const juce::Message& message) override
    {
        if (dynamic_cast<const UpdateRoutingMessage*> (&message) != nullptr)
            ++numRoutingUpdates;

        UsbPluginAudioProcessorEditor::handleMessage (message);
    }

    int numRoutingUpdates = 0;
};

class TestProcessor : public StandaloneProcessor
{
public:
    using StandaloneProcessor::StandaloneProcessor;

    juce::AudioProcessorEditor* createEditor() override { return new RecordingEditor (*this); }
};

/** Counts the input device manager's change notifications. Registered after the processor, it
    is called in the same dispatch, so once it has counted one the processor has handled it. */
class NotificationCounter : public juce::ChangeListener
{
public:
    void changeListenerCallback (juce::ChangeBroadcaster*) override { ++count; }
    int count = 0;
};


class InputSide : public ::testing::Test
{
protected:
    InputSide()
    {
        // The input manager asks for one output; it must not take the meter's.
        registry.addDevice (VirtualDeviceDescription::output (speakersName, 2));
        registry.addDevice (VirtualDeviceDescription::input (stereoName, 2));
        registry.addDevice (VirtualDeviceDescription::input (otherStereoName, 2));
        registry.addDevice (VirtualDeviceDescription::input (surroundName, 6));
        registry.addDevice (VirtualDeviceDescription::input (octoName, 8));
        registry.addDevice (VirtualDeviceDescription::input (monoName, 1));
        registry.addDevice (VirtualDeviceDescription::output (meterName, 6));
    }

    void SetUp() override
    {
        processor = std::make_unique<TestProcessor> (registry.makeFactory());
        processor->inputDeviceManager.addChangeListener (&notifications);

        // The meter side is not under test here: its thread and its re-probe stay off.
        processor->delayedThreadStarter.stopTimer();
        processor->stopTimer();
    }

    void TearDown() override
    {
        if (processor != nullptr)
            processor->inputDeviceManager.removeChangeListener (&notifications);

        if (editor != nullptr)
        {
            processor->editorBeingDeleted (editor.get());
            editor.reset();
        }

        processor.reset();
        home.reset();
    }

    /** Builds the processor's editor, as the application does; skips without an X display. */
    void attachEditor()
    {
        if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
            GTEST_SKIP() << "the editor needs an X display (run under xvfb-run)";

        home = std::make_unique<ScopedTemporaryHome>();
        editor.reset (dynamic_cast<RecordingEditor*> (processor->createEditorIfNeeded()));
        ASSERT_NE (editor, nullptr);
    }

    /** Chooses an input device and its first numChannels channels, as the settings window does. */
    void chooseInput (const juce::String& name, int numChannels)
    {
        auto setup = processor->inputDeviceManager.getAudioDeviceSetup();
        setup.inputDeviceName = name;
        setup.inputChannels.clear();
        setup.inputChannels.setRange (0, numChannels, true);
        setup.useDefaultInputChannels = false;
        ASSERT_EQ (processor->inputDeviceManager.setAudioDeviceSetup (setup, true), "");

        auto* device = processor->inputDeviceManager.getCurrentAudioDevice();
        ASSERT_NE (device, nullptr);
        ASSERT_EQ (device->getActiveInputChannels().countNumberOfSetBits(), numChannels);
    }

    /** Lets the queued notification of the input device manager arrive. */
    void waitForNotification()
    {
        const int seen = notifications.count;
        ASSERT_TRUE (pumpMessagesUntil ([&] { return notifications.count > seen; }, 5000));
    }

    void setMapping (const Mapping& entries, int numActiveInputs)
    {
        for (size_t i = 0; i < entries.size(); ++i)
            ASSERT_TRUE (processor->setChannelMappingEntry (i, entries[i], numActiveInputs));
    }

    VirtualDeviceRegistry registry;
    NotificationCounter notifications;
    std::unique_ptr<ScopedTemporaryHome> home;
    std::unique_ptr<TestProcessor> processor;
    std::unique_ptr<RecordingEditor> editor;
};

//==============================================================================
struct DeviceChange
{
    const char* name;
    juce::String fromDevice;
    int fromChannels;
    Mapping mappingBefore;
    juce::String toDevice;
    int toChannels;
    int expectedMode;
    int expectedActiveInputs;
    Mapping expectedMapping;
};

void PrintTo (const DeviceChange& value, std::ostream* os) { *os << value.name; }

class InputSideDeviceChange : public InputSide,
                              public ::testing::WithParamInterface<DeviceChange>
{
};

TEST_P (InputSideDeviceChange, SetsModeResetsMappingClosesMeterAndRebuildsRows)
{
    const auto& change = GetParam();

    attachEditor();
    if (IsSkipped())
        return;

    waitForNotification();   // the device the constructor opened
    chooseInput (change.fromDevice, change.fromChannels);
    waitForNotification();
    setMapping (change.mappingBefore, change.fromChannels);

    // As if the meter had been found: the input's stop must close it and start the search again.
    processor->deviceHandler.deviceState = DeviceState::DeviceReady;
    const int rowsBefore = editor->numRoutingUpdates;

    chooseInput (change.toDevice, change.toChannels);

    // Start and stop run inside the device change; the notification comes later.
    EXPECT_EQ (processor->deviceHandler.deviceState.load(), DeviceState::Searching);
    {
        const juce::ScopedLock sl (processor->deviceHandler.stateLock);
        EXPECT_EQ (processor->deviceHandler.inputChannelCount, (unsigned long) change.toChannels);
        EXPECT_EQ (processor->deviceHandler.inputSampleRate, processor->inputSampleRate);
    }
    EXPECT_EQ (mappingOf (*processor), change.mappingBefore);

    waitForNotification();

    EXPECT_EQ (processor->channelMode, change.expectedMode);
    EXPECT_EQ (processor->numActiveInputs.load(), change.expectedActiveInputs);
    EXPECT_EQ (mappingOf (*processor), change.expectedMapping);
    EXPECT_EQ (realtimeEntries (*processor), change.expectedMapping);
    EXPECT_EQ (processor->channelMapping.savedList, change.expectedMapping) << "the mapping is the new revert point";
    EXPECT_TRUE (pumpMessagesUntil ([&] { return editor->numRoutingUpdates == rowsBefore + 1; }, 5000));
}

INSTANTIATE_TEST_SUITE_P (InputSide, InputSideDeviceChange,
    ::testing::Values (
        DeviceChange { "TwoToSix", stereoName, 2, { 1, 0, 1, 0, 1, 0 }, surroundName, 6,
                       ChannelMode::FivePointOne, 6, { 0, 1, 2, 3, 4, 5 } },
        DeviceChange { "TwoToOtherTwoUndoesSwap", stereoName, 2, { 1, 0, 1, 0, 1, 0 }, otherStereoName, 2,
                       ChannelMode::Stereo, 2, { 0, 1, 1, 0, 1, 0 } },
        // The entries that held inputs 1 and 2 take the old first two: each input stays named once.
        DeviceChange { "SixToTwoKeepsAPermutation", surroundName, 6, { 5, 4, 3, 2, 1, 0 }, stereoName, 2,
                       ChannelMode::Stereo, 2, { 0, 1, 3, 2, 4, 5 } },
        DeviceChange { "SixToEightLeavesMapping", surroundName, 6, { 5, 4, 3, 2, 1, 0 }, octoName, 8,
                       ChannelMode::None, 0, { 5, 4, 3, 2, 1, 0 } },
        DeviceChange { "TwoToMono", stereoName, 2, { 1, 0, 1, 0, 1, 0 }, monoName, 1,
                       ChannelMode::Mono, 1, { 0, 1, 1, 0, 1, 0 } }),
    [] (const auto& testCase) { return std::string (testCase.param.name); });

//==============================================================================
// The input device manager also broadcasts when its open input has not changed: when a device
// type's list changes (JACK's does whenever any other client comes or goes), or when it is told
// to. The user's mapping and its revert point stay; the rows are rebuilt all the same.
struct UnchangedInput
{
    const char* name;
    juce::String device;
    int channels;
    Mapping mapping;
    std::function<void (VirtualDeviceRegistry&, juce::AudioDeviceManager&)> broadcast;
};

void PrintTo (const UnchangedInput& value, std::ostream* os) { *os << value.name; }

class InputSideUnchangedInput : public InputSide,
                                public ::testing::WithParamInterface<UnchangedInput>
{
};

TEST_P (InputSideUnchangedInput, KeepsTheMappingAndRebuildsRows)
{
    const auto& unchanged = GetParam();

    attachEditor();
    if (IsSkipped())
        return;

    waitForNotification();
    chooseInput (unchanged.device, unchanged.channels);
    waitForNotification();
    setMapping ({ unchanged.mapping.begin(), unchanged.mapping.begin() + unchanged.channels }, unchanged.channels);
    ASSERT_EQ (mappingOf (*processor), unchanged.mapping);

    const auto revertPoint = processor->channelMapping.savedList;
    const int rowsBefore = editor->numRoutingUpdates;
    auto* device = processor->inputDeviceManager.getCurrentAudioDevice();

    unchanged.broadcast (registry, processor->inputDeviceManager);
    waitForNotification();

    ASSERT_EQ (processor->inputDeviceManager.getCurrentAudioDevice(), device) << "the input was not to change";
    EXPECT_EQ (processor->numActiveInputs.load(), unchanged.channels);
    EXPECT_EQ (mappingOf (*processor), unchanged.mapping);
    EXPECT_EQ (realtimeEntries (*processor), unchanged.mapping);
    EXPECT_EQ (processor->channelMapping.savedList, revertPoint);
    EXPECT_TRUE (pumpMessagesUntil ([&] { return editor->numRoutingUpdates == rowsBefore + 1; }, 5000));

    // A real change afterwards still resets.
    chooseInput (unchanged.channels == 2 ? otherStereoName : stereoName, 2);
    waitForNotification();
    EXPECT_EQ (processor->channelMapping[0], 0);
    EXPECT_EQ (processor->channelMapping[1], 1);
}

INSTANTIATE_TEST_SUITE_P (InputSide, InputSideUnchangedInput,
    ::testing::Values (
        UnchangedInput { "AnotherDevicePluggedIn", stereoName, 2, { 1, 0, 2, 3, 4, 5 },
                         [] (VirtualDeviceRegistry& r, juce::AudioDeviceManager&)
                         { ASSERT_TRUE (r.addDevice (VirtualDeviceDescription::input ("Late In", 2))); } },
        UnchangedInput { "AnotherDeviceUnplugged", surroundName, 6, { 5, 4, 3, 2, 1, 0 },
                         [] (VirtualDeviceRegistry& r, juce::AudioDeviceManager&) { ASSERT_TRUE (r.removeDevice (monoName)); } },
        UnchangedInput { "PlainBroadcast", stereoName, 2, { 1, 0, 2, 3, 4, 5 },
                         [] (VirtualDeviceRegistry&, juce::AudioDeviceManager& m) { m.sendChangeMessage(); } }),
    [] (const auto& testCase) { return std::string (testCase.param.name); });

// The same input opened again after a notification that found none is a change.
TEST_F (InputSide, TheSameInputOpenedAgainAfterNoneResets)
{
    waitForNotification();
    chooseInput (stereoName, 2);
    waitForNotification();
    setMapping ({ 1, 0 }, 2);

    auto& manager = processor->inputDeviceManager;
    manager.closeAudioDevice();
    manager.sendChangeMessage();
    waitForNotification();
    ASSERT_EQ (mappingOf (*processor), (Mapping { 1, 0, 2, 3, 4, 5 }));

    manager.restartLastAudioDevice();   // reopens without a broadcast of its own
    ASSERT_NE (manager.getCurrentAudioDevice(), nullptr);
    manager.sendChangeMessage();
    waitForNotification();

    EXPECT_EQ (mappingOf (*processor), (Mapping { 0, 1, 2, 3, 4, 5 }));
    EXPECT_EQ (processor->channelMapping.savedList, mappingOf (*processor));
}

//==============================================================================
TEST_F (InputSide, ANotificationWithoutADeviceOnlyRebuildsRows)
{
    attachEditor();
    if (IsSkipped())
        return;

    waitForNotification();
    setMapping ({ 1, 0 }, 2);
    const int rowsBefore = editor->numRoutingUpdates;

    processor->inputDeviceManager.closeAudioDevice();
    ASSERT_EQ (processor->inputDeviceManager.getCurrentAudioDevice(), nullptr);
    processor->inputDeviceManager.sendChangeMessage();
    waitForNotification();

    EXPECT_EQ (processor->channelMode, ChannelMode::Stereo);
    EXPECT_EQ (mappingOf (*processor), (Mapping { 1, 0, 2, 3, 4, 5 }));
    EXPECT_TRUE (pumpMessagesUntil ([&] { return editor->numRoutingUpdates == rowsBefore + 1; }, 5000));
}

// What saved both stereo channels from input 1: routing with the swap 1,0, the source's ports
// leaving one by one (JACK restarts the device with one input, then none), no input at all, quit.
TEST_F (InputSide, SwappedStereoMappingThroughAMonoInputIsSavedAsAPermutation)
{
    waitForNotification();
    setMapping ({ 1, 0 }, 2);

    chooseInput (monoName, 1);
    waitForNotification();
    EXPECT_EQ (mappingOf (*processor), (Mapping { 0, 1, 2, 3, 4, 5 }));
    EXPECT_EQ (realtimeEntries (*processor), mappingOf (*processor));

    processor->inputDeviceManager.closeAudioDevice();
    processor->inputDeviceManager.sendChangeMessage();
    waitForNotification();

    const juce::TemporaryFile config (".xml");
    ASSERT_TRUE (StandaloneConfigFile::write (config.getFile(), *processor));
    const auto root = StandaloneConfigFile::read (config.getFile());
    ASSERT_NE (root, nullptr);
    const auto* saved = root->getChildByName ("Processor")->getChildByName ("ChannelMapping");
    ASSERT_NE (saved, nullptr);
    EXPECT_EQ (saved->getAllSubText(), "0,1,2,3,4,5");
}

TEST_F (InputSide, InputCallbackPlaysSilenceOnItsOwnOutput)
{
    struct Input { juce::String name; int channels; };
    waitForNotification();   // the default devices, the output among them

    for (const auto& input : { Input { stereoName, 2 }, Input { surroundName, 6 },
                               Input { octoName, 8 }, Input { monoName, 1 } })
    {
        SCOPED_TRACE (input.name);
        chooseInput (input.name, input.channels);

        juce::AudioBuffer<float> signal (input.channels, 64), played;
        for (int c = 0; c < input.channels; ++c)
            juce::FloatVectorOperations::fill (signal.getWritePointer (c), 0.5f + 0.01f * (float) c, 64);

        ASSERT_TRUE (registry.processBlock (input.name, signal, 64, &played));
        ASSERT_EQ (played.getNumSamples(), 64);
        ASSERT_GE (played.getNumChannels(), 1);

        int numNonZero = 0;
        for (int c = 0; c < played.getNumChannels(); ++c)
            for (int i = 0; i < 64; ++i)
                if (! (played.getSample (c, i) == 0.0f))   // a NaN is a sample nobody wrote
                    ++numNonZero;

        EXPECT_EQ (numNonZero, 0);
    }
}

// A mapping written for six channels may meet a two-channel device that already runs (its start
// comes before the notification that resets the mapping): the mapped path must not read input
// channels the block does not have, nor play one channel twice; it plays them unmapped.
TEST_F (InputSide, SixChannelMappingOnATwoChannelInputPlaysItsChannelsUnmapped)
{
    waitForNotification();
    auto& handler = processor->deviceHandler;
    handler.startThread();
    ASSERT_TRUE (pumpMessagesUntil ([&] { return handler.deviceState == DeviceState::DeviceReady; }, 5000));
    handler.requestedState = DeviceState::Routing;
    handler.notify();
    ASSERT_TRUE (pumpMessagesUntil ([&] { return handler.deviceState == DeviceState::Routing; }, 5000));

    juce::AudioBuffer<float> input (2, 64);
    juce::FloatVectorOperations::fill (input.getWritePointer (0), 0.25f, 64);
    juce::FloatVectorOperations::fill (input.getWritePointer (1), 0.5f, 64);

    /** One input block through the mapping, then one meter block; the meter's two outputs. */
    const auto playThrough = [&] (const Mapping& mapping, int numActiveInputsAssumed)
    {
        setMapping (mapping, numActiveInputsAssumed);
        juce::AudioBuffer<float> played;
        EXPECT_TRUE (registry.processBlock (stereoName, input, 64));
        EXPECT_TRUE (registry.processBlock (meterName, {}, 64, &played));
        EXPECT_EQ (played.getNumSamples(), 64);
        return std::make_pair (played.getNumChannels() > 0 ? played.getSample (0, 63) : -1.0f,
                               played.getNumChannels() > 1 ? played.getSample (1, 63) : -1.0f);
    };

    EXPECT_EQ (playThrough ({ 1, 0 }, 2), std::make_pair (0.5f, 0.25f)) << "the path carries audio";
    EXPECT_EQ (playThrough ({ 5, 0, 4, 3, 2, 1 }, 6), std::make_pair (0.25f, 0.5f)) << "channel 5 is no channel here";
    EXPECT_EQ (playThrough ({ 3, 2, 1, 0, 4, 5 }, 6), std::make_pair (0.25f, 0.5f));
    EXPECT_EQ (playThrough ({ 1, 1, 2, 3, 4, 5 }, 6), std::make_pair (0.25f, 0.5f)) << "input 2 on both";
}

//==============================================================================
struct RestoredMapping
{
    const char* name;
    const char* configXml;
    int activeInputs;
    Mapping afterStartUp;
    /** As JACK opens a device with the ports connected so far: the restored device first starts
        with this many active inputs, then restarts with activeInputs. 0: no such start. */
    int partialStartInputs = 0;
    /** Entries 0 and 1 once the user then chooses another stereo input. */
    Mapping firstTwoAfterAStereoChoice { 0, 1 };
};

void PrintTo (const RestoredMapping& value, std::ostream* os) { *os << value.name; }

class InputSideRestoredMapping : public InputSide,
                                 public ::testing::WithParamInterface<RestoredMapping>
{
};

// The order of the application's start-up: the processor opens the default input (its
// notification is queued), config.xml is restored, then the notification arrives.
TEST_P (InputSideRestoredMapping, PermutationSurvivesStartUpOnce)
{
    const auto& restored = GetParam();
    const auto root = juce::parseXML (restored.configXml);
    ASSERT_NE (root, nullptr);

    StandaloneConfigFile::restore (*root, *processor);
    waitForNotification();

    if (restored.partialStartInputs > 0)
    {
        ASSERT_EQ (processor->numActiveInputs.load(), restored.partialStartInputs);
        EXPECT_EQ (processor->channelMapping[0], 0) << "the one input feeds entry 0; the restored mapping waits";
        chooseInput (stereoName, restored.activeInputs);
        waitForNotification();
    }

    ASSERT_EQ (processor->numActiveInputs.load(), restored.activeInputs);
    EXPECT_EQ (mappingOf (*processor), restored.afterStartUp);
    EXPECT_EQ (realtimeEntries (*processor), restored.afterStartUp);
    EXPECT_EQ (processor->channelMapping.savedList, restored.afterStartUp);

    // Only the notification right after the restore keeps it, or the first with a stereo or
    // surround input after it: any later device change resets.
    const auto& other = restored.activeInputs == 2 ? otherStereoName : stereoName;
    chooseInput (other, 2);
    waitForNotification();
    EXPECT_EQ (processor->channelMapping[0], restored.firstTwoAfterAStereoChoice[0]);
    EXPECT_EQ (processor->channelMapping[1], restored.firstTwoAfterAStereoChoice[1]);
}

INSTANTIATE_TEST_SUITE_P (InputSide, InputSideRestoredMapping,
    ::testing::Values (
        RestoredMapping { "StereoSwapKept",
                          "<KestroVantrelStandalone><Processor><AudioDevice/>"
                          "<ChannelMapping>1,0,2,3,4,5</ChannelMapping></Processor></KestroVantrelStandalone>",
                          2, { 1, 0, 2, 3, 4, 5 } },
        RestoredMapping { "SurroundPermutationKept",
                          "<KestroVantrelStandalone><Processor><AudioDevice>"
                          "<DEVICESETUP deviceType=\"Virtual\" audioOutputDeviceName=\"Virtual Speakers\""
                          " audioInputDeviceName=\"Surround In\" audioDeviceInChans=\"111111\"/></AudioDevice>"
                          "<ChannelMapping>5,3,4,0,2,1</ChannelMapping></Processor></KestroVantrelStandalone>",
                          6, { 5, 3, 4, 0, 2, 1 } },
        // A mono input has input 1 only; the stereo swap waits for a stereo input (JACK opens a
        // device with the ports connected so far).
        RestoredMapping { "MonoInputTakesInputOne",
                          "<KestroVantrelStandalone><Processor><AudioDevice>"
                          "<DEVICESETUP deviceType=\"Virtual\" audioOutputDeviceName=\"Virtual Speakers\""
                          " audioInputDeviceName=\"Mono In\"/></AudioDevice>"
                          "<ChannelMapping>1,0,5,4,3,2</ChannelMapping></Processor></KestroVantrelStandalone>",
                          1, { 0, 1, 5, 4, 3, 2 }, 0, { 1, 0 } },
        RestoredMapping { "StereoSwapKeptThroughAStartWithOneChannel",
                          "<KestroVantrelStandalone><Processor><AudioDevice>"
                          "<DEVICESETUP deviceType=\"Virtual\" audioOutputDeviceName=\"Virtual Speakers\""
                          " audioInputDeviceName=\"Stereo In\" audioDeviceInChans=\"1\"/></AudioDevice>"
                          "<ChannelMapping>1,0,2,3,4,5</ChannelMapping></Processor></KestroVantrelStandalone>",
                          2, { 1, 0, 2, 3, 4, 5 }, 1 },
        RestoredMapping { "RepeatedChannelReset",
                          "<KestroVantrelStandalone><Processor><AudioDevice/>"
                          "<ChannelMapping>1,1,2,3,4,5</ChannelMapping></Processor></KestroVantrelStandalone>",
                          2, { 0, 1, 2, 3, 4, 5 } }),
    [] (const auto& testCase) { return std::string (testCase.param.name); });
//==============================================================================
const juce::String jackSourceName ("Test Source");

/** The processor on a JACK server of the test's own, with a virtual type listed before JACK that
    has devices, as ALSA has on a JACK desktop. */
class InputSideOnJack : public ::testing::Test
{
protected:
    InputSideOnJack()
    {
        registry.addDevice (VirtualDeviceDescription::output ("Card Speakers", 2));
        registry.addDevice (VirtualDeviceDescription::input ("Card Mic", 2));
        addJackClients();
    }

    void TearDown() override
    {
        if (processor != nullptr)
            processor->inputDeviceManager.removeChangeListener (&notifications);

        processor.reset();

        for (auto& violation : server.violations)
            ADD_FAILURE() << violation;
    }

    void addJackClients()
    {
        server.addClient ("system", 2, 2);
        server.addClient (jackSourceName.toStdString(), 0, 2);
    }

    void makeProcessor()
    {
        auto virtualTypes = registry.makeFactory();
        auto jackSession = session;

        processor = std::make_unique<StandaloneProcessor> ([virtualTypes, jackSession]
        {
            auto types = virtualTypes();
            types.push_back (std::make_unique<JackAudioDeviceType> (jackSession));
            return types;
        });

        processor->inputDeviceManager.addChangeListener (&notifications);

        // The meter side is not under test here: its thread and its re-probe stay off.
        processor->delayedThreadStarter.stopTimer();
        processor->stopTimer();
    }

    /** Lets the server's notifications reach the program and the message thread handle them. */
    void settle()
    {
        for (int i = 0; i < 10; ++i)
        {
            server.deliverNotifications();
            pumpMessagesFor (5);
        }
    }

    /** The server comes back with its clients; the program finds it at the next scan of any JACK
        type on the session, as the meter handler's search makes. */
    void restartServer()
    {
        server.start();
        addJackClients();
        JackAudioDeviceType (session).scanForDevices();
        settle();
    }

    juce::String openInputName() const
    {
        auto* device = processor->inputDeviceManager.getCurrentAudioDevice();
        return device != nullptr ? processor->inputDeviceManager.getAudioDeviceSetup().inputDeviceName : juce::String();
    }

    int numCardOpens() const
    {
        return registry.getNumOpens ("Card Speakers") + registry.getNumOpens ("Card Mic");
    }

    VirtualDeviceRegistry registry;
    FakeJackServer server;
    std::shared_ptr<JackServerSession> session = std::make_shared<JackServerSession> (server, 200);
    NotificationCounter notifications;
    std::unique_ptr<StandaloneProcessor> processor;
};

struct ServerReturn
{
    const char* name;
    /** Empty: a first start, with no config.xml. */
    const char* configXml;
    juce::String expectedInput;
};

void PrintTo (const ServerReturn& value, std::ostream* os) { *os << value.name; }

class InputSideServerReturn : public InputSideOnJack,
                              public ::testing::WithParamInterface<ServerReturn>
{
};

// The server's end closes the input and opens no device of another type; its return opens the
// input again as the start-up did, with the mapping the user had.
TEST_P (InputSideServerReturn, TheInputComesBackWithTheUsersMappingAndNoOtherTypeIsOpened)
{
    const auto& c = GetParam();
    makeProcessor();

    if (juce::String (c.configXml).isNotEmpty())
    {
        const auto root = juce::parseXML (c.configXml);
        ASSERT_NE (root, nullptr);
        StandaloneConfigFile::restore (*root, *processor);
    }

    ASSERT_TRUE (pumpMessagesUntil ([&] { return notifications.count > 0 && processor->numActiveInputs == 2; }));
    settle();
    ASSERT_EQ (openInputName(), c.expectedInput);
    ASSERT_EQ (processor->inputDeviceManager.getCurrentAudioDeviceType(), juce::String ("JACK"));
    ASSERT_EQ (numCardOpens(), 0) << "the first start took another type than JACK";

    for (const auto& [entry, input] : { std::pair { 0, 1 }, std::pair { 1, 0 } })
        ASSERT_TRUE (processor->setChannelMappingEntry ((size_t) entry, input, 2));

    for (int round = 0; round < 2; ++round)
    {
        SCOPED_TRACE ("server return " + std::to_string (round + 1));

        server.stop();
        settle();
        EXPECT_EQ (processor->inputDeviceManager.getCurrentAudioDevice(), nullptr);
        EXPECT_EQ (numCardOpens(), 0) << "the server's end opened a device of another type";
        EXPECT_EQ (mappingOf (*processor), (Mapping { 1, 0, 2, 3, 4, 5 }));

        // Nothing comes back while the server is away, also when another type's list changes.
        ASSERT_TRUE (registry.addDevice (VirtualDeviceDescription::input ("Late Mic " + juce::String (round), 2)));
        settle();
        EXPECT_EQ (processor->inputDeviceManager.getCurrentAudioDevice(), nullptr);

        const int seen = notifications.count;
        restartServer();
        ASSERT_TRUE (pumpMessagesUntil ([&] { return notifications.count > seen && processor->numActiveInputs == 2; }));
        settle();

        EXPECT_EQ (openInputName(), c.expectedInput);
        EXPECT_EQ (processor->inputDeviceManager.getCurrentAudioDeviceType(), juce::String ("JACK"));
        EXPECT_EQ (mappingOf (*processor), (Mapping { 1, 0, 2, 3, 4, 5 })) << "the swap was lost";
        EXPECT_EQ (realtimeEntries (*processor), mappingOf (*processor));
        EXPECT_EQ (numCardOpens(), 0);
    }

    // config.xml keeps what it kept: the user's choice, or none.
    const auto state = processor->inputDeviceManager.createStateXml();
    EXPECT_EQ (state != nullptr, juce::String (c.configXml).isNotEmpty());
}

INSTANTIATE_TEST_SUITE_P (InputSide, InputSideServerReturn,
    ::testing::Values (
        ServerReturn { "SavedSetUp",
                       "<KestroVantrelStandalone><Processor><AudioDevice>"
                       "<DEVICESETUP deviceType=\"JACK\" audioOutputDeviceName=\"system\""
                       " audioInputDeviceName=\"Test Source\"/></AudioDevice>"
                       "<ChannelMapping>0,1,2,3,4,5</ChannelMapping></Processor></KestroVantrelStandalone>",
                       jackSourceName },
        ServerReturn { "FirstStartDefaults", "", "system" }),
    [] (const auto& testCase) { return std::string (testCase.param.name); });
// Without a JACK server a first start keeps JUCE's defaults: the first type that lists a device.
TEST_F (InputSideOnJack, FirstStartWithoutAJackServerTakesTheFirstTypesDefaults)
{
    server.stop();
    makeProcessor();

    ASSERT_TRUE (pumpMessagesUntil ([&] { return notifications.count > 0 && processor->numActiveInputs == 2; }));
    EXPECT_EQ (openInputName(), juce::String ("Card Mic"));
    EXPECT_EQ (processor->inputDeviceManager.createStateXml(), nullptr);
}
// A JACK server with no input yet (a PipeWire with no source): nothing opens, not another type's
// device, until JACK lists an input; then JACK's default input opens.
TEST_F (InputSideOnJack, FirstStartWhileJackListsNoInputWaitsForJacksDefault)
{
    server.removeClient ("system");
    server.removeClient (jackSourceName.toStdString());
    makeProcessor();
    pumpMessagesFor (100);
    settle();

    EXPECT_EQ (processor->inputDeviceManager.getCurrentAudioDevice(), nullptr);
    EXPECT_EQ (numCardOpens(), 0) << "another type's default was opened while a JACK server ran";

    addJackClients();
    ASSERT_TRUE (pumpMessagesUntil ([&] { server.deliverNotifications(); return processor->numActiveInputs == 2; }));
    EXPECT_EQ (openInputName(), juce::String ("system"));
    EXPECT_EQ (processor->inputDeviceManager.getCurrentAudioDeviceType(), juce::String ("JACK"));
    EXPECT_EQ (processor->inputDeviceManager.createStateXml(), nullptr);
    EXPECT_EQ (numCardOpens(), 0);
}
} // namespace

// The meter handler's search, probe, routing and recovery, through the real processor, handler
// thread and device callbacks against virtual devices.

#include "BroadcastRecorder.h"
#include "ChannelIdentitySignal.h"
#include "MessagePump.h"
#include "MeterTestRig.h"
#include "RenamingDeviceType.h"
#include "VirtualAudioDevice.h"

#include "audio/RegisterCallbackMessage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace
{
using Options = MeterTestRig::Options;

/** Ends the run if a step that must return promptly hangs, since a hung test has no timeout. */
class Watchdog
{
public:
    explicit Watchdog (int timeoutMs)
        : thread ([this, timeoutMs]
          {
              if (! finished.wait (timeoutMs))
              {
                  std::fprintf (stderr, "Watchdog: a step that must return did not (deadlock)\n");
                  std::abort();
              }
          })
    {
    }

    ~Watchdog()
    {
        finished.signal();
        thread.join();
    }

private:
    juce::WaitableEvent finished;
    std::thread thread;
};

//==============================================================================
struct SearchCase
{
    const char* what;
    std::vector<const char*> outputs;
    const char* expectedDevice;   // empty: the meter is not found
    const char* expectedProduct;
};

void PrintTo (const SearchCase& c, std::ostream* os)  { *os << c.what; }

class MeterHandlerSearch : public ::testing::TestWithParam<SearchCase> {};

TEST_P (MeterHandlerSearch, FindsTheMeterByItsExactNameAndRoutesToExactlyThatDevice)
{
    const auto& c = GetParam();
    Options options;
    options.outputs.clear();

    for (auto* name : c.outputs)
        options.outputs.push_back (MeterTestRig::meterDescription (name));

    MeterTestRig rig (options);
    auto& handler = rig.handler();
    const juce::String expected (c.expectedDevice);

    if (expected.isEmpty())
    {
        // The first search ends with a broadcast.
        ASSERT_TRUE (pumpMessagesUntil ([&] { return rig.getNumBroadcasts() > 0; }));
        EXPECT_EQ (handler.deviceState.load(), DeviceState::Searching);
        EXPECT_EQ (handler.deviceName, "");

        for (auto* name : c.outputs)
            EXPECT_EQ (rig.registry.getNumOpens (name), 0) << name << " was opened";

        return;
    }

    ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));
    EXPECT_EQ (handler.deviceName, expected);
    EXPECT_EQ (handler.productName, juce::String (c.expectedProduct));
    EXPECT_EQ (handler.requestedState.load(), 0);
    EXPECT_EQ (handler.outputDeviceManager.getCurrentAudioDevice(), nullptr) << "the probe leaves the meter closed";

    ASSERT_TRUE (rig.setRouting (true));
    auto* device = handler.outputDeviceManager.getCurrentAudioDevice();
    ASSERT_NE (device, nullptr);
    EXPECT_EQ (device->getName(), expected);

    for (auto* name : c.outputs)
    {
        if (expected != name)
        {
            EXPECT_EQ (rig.registry.getNumOpens (name), 0) << name << " was opened";
        }
    }
}

INSTANTIATE_TEST_SUITE_P (MeterHandlerSearchCases, MeterHandlerSearch, ::testing::Values (
    SearchCase { "bothMetersKm7Wins",                { "PV4 Output", "KM7-Solvin Output" }, "KM7-Solvin Output", "KM7-Solvin" },
    SearchCase { "km7WinsWhateverTheListOrder",      { "KM7-Solvin Output", "PV4 Output" }, "KM7-Solvin Output", "KM7-Solvin" },
    SearchCase { "pv4Alone",                         { "PV4 Output" },                      "PV4 Output",        "PV4" },
    SearchCase { "caseVariantIsNotTheMeter",         { "km7-solvin output" },               "",                  "" },
    SearchCase { "longerNameIsNotTheMeter",          { "KM7-Solvin Output 2" },             "",                  "" },
    SearchCase { "caseVariantListedFirstIsNotOpened", { "km7-solvin output", "KM7-Solvin Output" }, "KM7-Solvin Output", "KM7-Solvin" }),
    [] (const ::testing::TestParamInfo<SearchCase>& param) { return std::string (param.param.what); });

// The first type lists a case variant of the meter's name, the second the exact name.
TEST (MeterHandlerSearchTypes, CaseVariantInAnEarlierDeviceTypeLosesToTheExactNameInALaterOne)
{
    const juce::String variant ("km7-solvin output");
    Options options;
    options.outputs = { MeterTestRig::meterDescription (variant), MeterTestRig::meterDescription() };
    options.deviceTypes = [] (VirtualDeviceRegistry& registry) -> AudioDeviceTypeFactory
    {
        return [&registry]
        {
            const auto all = [] (const juce::String& name) { return name == MeterTestRig::meterName ? juce::StringArray() : juce::StringArray (name); };
            const auto meterOnly = [] (const juce::String& name) { return name == MeterTestRig::meterName ? juce::StringArray (name) : juce::StringArray(); };

            std::vector<std::unique_ptr<juce::AudioIODeviceType>> types;
            types.push_back (std::make_unique<RenamingDeviceType> (registry, "Virtual A", all));
            types.push_back (std::make_unique<RenamingDeviceType> (registry, "Virtual B", meterOnly));
            return types;
        };
    };

    MeterTestRig rig (options);
    auto& handler = rig.handler();
    ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));
    EXPECT_EQ (handler.deviceName, MeterTestRig::meterName);

    ASSERT_TRUE (rig.setRouting (true));
    EXPECT_NE (rig.registry.findOpenDevice (MeterTestRig::meterName), nullptr);
    EXPECT_EQ (rig.registry.getNumOpens (variant), 0) << "the case variant was opened";
}

//==============================================================================
struct LinuxNamesCase
{
    const char* what;
    const char* typeName;
    juce::StringArray (*listMeter) (const juce::String& cardName);   // the names the type lists the meter under
    const char* expectedDevice;        // empty: the meter is not found
};

void PrintTo (const LinuxNamesCase& c, std::ostream* os)  { *os << c.what; }

class MeterHandlerLinuxNames : public ::testing::TestWithParam<LinuxNamesCase> {};

// The meter device as JUCE's ALSA types list a USB card named after it.
TEST_P (MeterHandlerLinuxNames, FindsAndRoutesToTheMetersSoundCard)
{
    const auto& c = GetParam();
    Options options;
    options.deviceTypes = [c] (VirtualDeviceRegistry& registry)
    {
        return RenamingDeviceType::makeFactory (registry, c.typeName, [c] (const juce::String& name)
        {
            return name == MeterTestRig::meterName ? c.listMeter ("KM7-Solvin") : juce::StringArray (name);
        });
    };

    MeterTestRig rig (options);
    auto& handler = rig.handler();
    const juce::String expected (c.expectedDevice);

    if (expected.isEmpty())
    {
        ASSERT_TRUE (pumpMessagesUntil ([&] { return rig.getNumBroadcasts() > 0; }));
        EXPECT_EQ (handler.deviceState.load(), DeviceState::Searching);
        EXPECT_EQ (rig.registry.getNumOpens (MeterTestRig::meterName), 0);
        return;
    }

    ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));
    EXPECT_EQ (handler.deviceName, expected);
    EXPECT_EQ (handler.productName, "KM7-Solvin");

    ASSERT_TRUE (rig.setRouting (true));
    auto* device = handler.outputDeviceManager.getCurrentAudioDevice();
    ASSERT_NE (device, nullptr);
    EXPECT_EQ (device->getName(), expected);
    EXPECT_TRUE (handler.outputActive.load()) << "the meter's start was refused";

    // The input reaches the meter.
    rig.registry.processBlock (MeterTestRig::micName, ChannelIdentitySignal::makeBlock (2, 0, 64), 64);
    juce::AudioBuffer<float> played;
    ASSERT_TRUE (rig.registry.processBlock (MeterTestRig::meterName, {}, 64, &played));
    EXPECT_EQ (played.getSample (1, 10), ChannelIdentitySignal::sampleFor (1, 10));
}

INSTANTIATE_TEST_SUITE_P (MeterHandlerLinuxNamesCases, MeterHandlerLinuxNames, ::testing::Values (
    LinuxNamesCase { "alsaDirectHardwareDevice", "ALSA", RenamingDeviceType::alsaNamesOf,
                     "KM7-Solvin, USB Audio; Direct hardware device without any conversions" },
    LinuxNamesCase { "alsaHwFirstDevice", "ALSA HW", RenamingDeviceType::alsaHardwareNamesOf, "KM7-Solvin, USB Audio" },
    LinuxNamesCase { "cardNamesOnOtherTypesAreNotTheMeter", "Virtual", RenamingDeviceType::alsaNamesOf, "" }),
    [] (const ::testing::TestParamInfo<LinuxNamesCase>& param) { return std::string (param.param.what); });

//==============================================================================
struct FormatCase
{
    const char* what;
    int channels;
    double sampleRate;
    bool accepted;
};

void PrintTo (const FormatCase& c, std::ostream* os)  { *os << c.what; }

class MeterHandlerInputFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P (MeterHandlerInputFormat, RoutesTwoOrSixChannelsFrom44100To96000HzAtTheInputsFormat)
{
    const auto& c = GetParam();
    Options options;
    options.inputChannels = c.channels;
    options.sampleRate = c.sampleRate;
    MeterTestRig rig (options);
    auto& handler = rig.handler();

    if (! c.accepted)
    {
        ASSERT_TRUE (rig.waitForState (DeviceState::UnsupportedFormat));
        handler.requestedState = DeviceState::Routing;
        handler.notify();
        pumpMessagesFor (300);
        EXPECT_EQ (handler.deviceState.load(), DeviceState::UnsupportedFormat);
        EXPECT_EQ (handler.outputDeviceManager.getCurrentAudioDevice(), nullptr);
        return;
    }

    ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));
    ASSERT_TRUE (rig.setRouting (true));

    auto* meter = rig.registry.findOpenDevice (MeterTestRig::meterName);
    ASSERT_NE (meter, nullptr);
    EXPECT_EQ (meter->getActiveOutputChannels().countNumberOfSetBits(), c.channels);
    EXPECT_EQ (meter->getCurrentSampleRate(), c.sampleRate);
    EXPECT_EQ (meter->getCurrentBufferSizeSamples(), 64);

    const juce::ScopedLock sl (handler.ringLock);
    EXPECT_EQ (handler.ringCount, (size_t) c.channels);
}

INSTANTIATE_TEST_SUITE_P (MeterHandlerInputFormats, MeterHandlerInputFormat, ::testing::Values (
    FormatCase { "stereoAtTheLowerBound",   2, 44100.0, true },
    FormatCase { "surroundAtTheUpperBound", 6, 96000.0, true },
    FormatCase { "stereoInsideTheRange",    2, 50000.0, true },
    FormatCase { "surroundAt48k",           6, 48000.0, true },
    FormatCase { "mono",                    1, 48000.0, false },
    FormatCase { "fourChannels",            4, 48000.0, false },
    FormatCase { "oneHertzBelowTheRange",   2, 44099.0, false },
    FormatCase { "oneHertzAboveTheRange",   6, 96001.0, false }),
    [] (const ::testing::TestParamInfo<FormatCase>& param) { return std::string (param.param.what); });

//==============================================================================
TEST (MeterHandlerRouting, RoutingOffClosesTheMeterAndGivesDeviceReady)
{
    MeterTestRig rig;
    auto& handler = rig.handler();
    ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));
    ASSERT_TRUE (rig.setRouting (true));
    const auto closesBefore = rig.registry.getNumCloses (MeterTestRig::meterName);

    ASSERT_TRUE (rig.setRouting (false));
    EXPECT_EQ (handler.outputDeviceManager.getCurrentAudioDevice(), nullptr);
    EXPECT_EQ (rig.registry.findOpenDevice (MeterTestRig::meterName), nullptr);
    EXPECT_EQ (rig.registry.getNumCloses (MeterTestRig::meterName), closesBefore + 1);
    EXPECT_FALSE (handler.outputActive.load());
    EXPECT_EQ (handler.requestedState.load(), DeviceState::DeviceReady) << "closing leaves the request as it was";

    pumpMessagesFor (300);
    EXPECT_EQ (handler.deviceState.load(), DeviceState::DeviceReady);
}

// The re-probe would broadcast every 2000 ms; with its timer stopped, only the closing itself can
// tell the editor that routing is off.
TEST (MeterHandlerRouting, RoutingOffIsBroadcastAtOnce)
{
    MeterTestRig rig;
    auto& handler = rig.handler();
    rig.processor->stopTimer();
    ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));

    BroadcastRecorder broadcasts (handler);
    ASSERT_TRUE (rig.setRouting (true));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return broadcasts.sawState (DeviceState::Routing); }));
    broadcasts.states.clear();

    handler.requestedState = DeviceState::DeviceReady;
    handler.notify();

    EXPECT_TRUE (pumpMessagesUntil ([&] { return broadcasts.sawState (DeviceState::DeviceReady); }))
        << "the editor is not told that routing is off";
    EXPECT_EQ (handler.deviceState.load(), DeviceState::DeviceReady);
}

// JUCE may open the meter at another rate than asked without an error; routing must not go on.
TEST (MeterHandlerRouting, RoutingAtARateTheMeterLacksIsRefused)
{
    Options options;
    auto meter = MeterTestRig::meterDescription();
    meter.sampleRates = { 44100.0, 48000.0 };
    options.outputs = { meter };
    options.sampleRate = 96000.0;
    MeterTestRig rig (options);
    auto& handler = rig.handler();
    ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));

    bool sawRouting = false;

    // The refused opening ends in Searching; the search that follows finds the meter again.
    ASSERT_TRUE (rig.requestRoutingAndWaitForRefusal (0, sawRouting));

    EXPECT_FALSE (sawRouting);
    EXPECT_FALSE (handler.outputActive.load());
}

//==============================================================================
/** When JUCE's own handling of the vanished meter has opened its fallback output with the handler
    still as callback, feeds the input and plays one block there, before the handler thread can
    react (it needs the message thread, which is running this). */
class FallbackOutputProbe : public juce::ChangeListener
{
public:
    explicit FallbackOutputProbe (MeterTestRig& rigToUse) : rig (rigToUse)
    {
        rig.handler().outputDeviceManager.addChangeListener (this);
    }

    ~FallbackOutputProbe() override
    {
        rig.handler().outputDeviceManager.removeChangeListener (this);
    }

    void changeListenerCallback (juce::ChangeBroadcaster*) override
    {
        auto* device = rig.handler().outputDeviceManager.getCurrentAudioDevice();

        if (device == nullptr || device->getName() != MeterTestRig::speakersName)
            return;

        rig.registry.processBlock (MeterTestRig::micName, ChannelIdentitySignal::makeBlock (2, 0, 64), 64);

        juce::AudioBuffer<float> played;

        if (! rig.registry.processBlock (MeterTestRig::speakersName, {}, 64, &played))
            return;

        ++blocksPlayed;

        for (int ch = 0; ch < played.getNumChannels(); ++ch)
            for (int i = 0; i < played.getNumSamples(); ++i)
                if (std::isnan (played.getSample (ch, i)))
                    ++unwrittenSamples;
                else if (played.getSample (ch, i) != 0.0f)
                    ++soundingSamples;
    }

    int blocksPlayed = 0, soundingSamples = 0, unwrittenSamples = 0;

private:
    MeterTestRig& rig;
};

TEST (MeterHandlerUnplug, MeterUnpluggedWhileRoutingGivesSearchingAndReturnsWithRoutingOff)
{
    MeterTestRig rig;
    auto& handler = rig.handler();
    ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));
    ASSERT_TRUE (rig.setRouting (true));

    {
        FallbackOutputProbe probe (rig);
        ASSERT_TRUE (rig.registry.removeDevice (MeterTestRig::meterName));

        ASSERT_TRUE (pumpMessagesUntil ([&]
        {
            return probe.blocksPlayed > 0 && handler.outputDeviceManager.getCurrentAudioDevice() == nullptr;
        }));

        EXPECT_EQ (probe.soundingSamples, 0) << "the meter's audio played on the default output";
        EXPECT_EQ (probe.unwrittenSamples, 0);
        EXPECT_EQ (handler.deviceState.load(), DeviceState::Searching);
        EXPECT_EQ (rig.registry.findOpenDevice (MeterTestRig::speakersName), nullptr);
    }

    ASSERT_TRUE (rig.registry.addDevice (MeterTestRig::meterDescription()));
    ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));
    EXPECT_EQ (handler.requestedState.load(), 0);

    pumpMessagesFor (300);
    EXPECT_EQ (handler.deviceState.load(), DeviceState::DeviceReady) << "routing resumed by itself";
    EXPECT_EQ (handler.outputDeviceManager.getCurrentAudioDevice(), nullptr);
}

// Without another output device JUCE opens nothing in the meter's place, so only the handler's
// own reaction to the meter's stop can end routing (the re-probe's timer is stopped).
TEST (MeterHandlerUnplug, MeterAsTheOnlyOutputUnpluggedWhileRoutingGivesSearching)
{
    Options options;
    options.withSpeakers = false;
    MeterTestRig rig (options);
    auto& handler = rig.handler();
    rig.processor->stopTimer();
    ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));

    BroadcastRecorder broadcasts (handler);
    ASSERT_TRUE (rig.setRouting (true));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return broadcasts.sawState (DeviceState::Routing); }));
    broadcasts.states.clear();

    ASSERT_TRUE (rig.registry.removeDevice (MeterTestRig::meterName));

    EXPECT_TRUE (pumpMessagesUntil ([&] { return broadcasts.sawState (DeviceState::Searching); }))
        << "the meter's loss is not broadcast";
    EXPECT_EQ (handler.deviceState.load(), DeviceState::Searching);
    EXPECT_EQ (handler.outputDeviceManager.getCurrentAudioDevice(), nullptr);
    EXPECT_FALSE (handler.outputActive.load());
}

// JUCE's ALSA type lists its devices once per object; the device types here do the same.
TEST (MeterHandlerRescan, MeterPluggedInAfterStartIsFoundByTheNextReprobe)
{
    Options options;
    options.outputs.clear();
    options.scanOnceDeviceTypes = true;
    MeterTestRig rig (options);
    auto& handler = rig.handler();

    ASSERT_TRUE (pumpMessagesUntil ([&] { return rig.getNumBroadcasts() > 0; }));
    ASSERT_EQ (handler.deviceState.load(), DeviceState::Searching);

    // Nothing tells the handler; only its 2000 ms re-probe can find the new device.
    ASSERT_TRUE (rig.registry.addDevice (MeterTestRig::meterDescription()));
    ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady, 6000));
    EXPECT_EQ (handler.deviceName, MeterTestRig::meterName);
    EXPECT_TRUE (rig.setRouting (true));
}

//==============================================================================
enum class InputStop
{
    onTheMessageThread,
    onADriverThread,
    byAnInputDeviceChange
};

class MeterHandlerInputStop : public ::testing::TestWithParam<InputStop> {};

TEST_P (MeterHandlerInputStop, InputStopWhileRoutingClosesTheMeterAndRoutingStaysOff)
{
    MeterTestRig rig;
    auto& handler = rig.handler();
    ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));
    ASSERT_TRUE (rig.setRouting (true));

    switch (GetParam())
    {
        case InputStop::onTheMessageThread:
            handler.inputDeviceStopped();
            EXPECT_EQ (handler.outputDeviceManager.getCurrentAudioDevice(), nullptr);
            break;

        case InputStop::onADriverThread:
        {
            std::thread driver ([&] { handler.inputDeviceStopped(); });
            driver.join();
            break;
        }

        case InputStop::byAnInputDeviceChange:
            ASSERT_EQ (rig.openInput (2, 44100.0), "");
            break;
    }

    if (GetParam() != InputStop::byAnInputDeviceChange)
    {
        // Before this thread pumps again the handler thread can do nothing.
        EXPECT_EQ (handler.deviceState.load(), DeviceState::Searching);
        EXPECT_FALSE (handler.outputActive.load());

        ASSERT_EQ (rig.openInput (2, 44100.0), "");
    }

    ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));
    EXPECT_EQ (handler.requestedState.load(), 0);

    pumpMessagesFor (300);
    EXPECT_EQ (handler.deviceState.load(), DeviceState::DeviceReady) << "routing resumed by itself";
    EXPECT_EQ (handler.outputDeviceManager.getCurrentAudioDevice(), nullptr);

    // The next request opens the meter at the new input's rate.
    ASSERT_TRUE (rig.setRouting (true));
    auto* meter = rig.registry.findOpenDevice (MeterTestRig::meterName);
    ASSERT_NE (meter, nullptr);
    EXPECT_EQ (meter->getCurrentSampleRate(), 44100.0);
}

INSTANTIATE_TEST_SUITE_P (MeterHandlerInputStops, MeterHandlerInputStop,
    ::testing::Values (InputStop::onTheMessageThread, InputStop::onADriverThread, InputStop::byAnInputDeviceChange),
    [] (const ::testing::TestParamInfo<InputStop>& param)
    {
        switch (param.param)
        {
            case InputStop::onTheMessageThread:    return std::string ("onTheMessageThread");
            case InputStop::onADriverThread:       return std::string ("onADriverThread");
            case InputStop::byAnInputDeviceChange: return std::string ("byAnInputDeviceChange");
        }

        return std::string();
    });

// With no input device open there is nothing to route: the meter is not offered (the routing
// button's picture is disabled), whatever finds it, and a routing request does not route.
TEST (MeterHandlerInputStopped, WithoutAnInputTheMeterIsNeverOfferedNorRouted)
{
    for (const bool onADriverThread : { false, true })
    {
        SCOPED_TRACE (onADriverThread ? "input stopped on a driver's thread" : "input device closed");
        MeterTestRig rig;
        auto& handler = rig.handler();
        rig.processor->stopTimer();   // the test makes the re-probe itself
        ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));

        if (onADriverThread)
        {
            std::thread driver ([&] { handler.inputDeviceStopped(); });
            driver.join();
        }
        else
        {
            rig.processor->inputDeviceManager.closeAudioDevice();
            const juce::ScopedLock sl (handler.stateLock);
            EXPECT_EQ (handler.inputChannelCount, 0u);
            EXPECT_EQ (handler.inputSampleRate, 0);
        }

        pumpMessagesFor (200);

        {
            const juce::ScopedLock sl (handler.stateLock);
            handler._updateDeviceState (true);
        }

        EXPECT_EQ (handler.deviceState.load(), DeviceState::UnsupportedFormat) << "the re-probe offered the meter";

        handler.requestedState = DeviceState::Routing;
        handler.notify();

        bool sawRouting = false;
        pumpMessagesUntil ([&]
        {
            sawRouting = sawRouting || handler.deviceState == DeviceState::Routing;
            return false;
        }, 500);

        EXPECT_FALSE (sawRouting);
        EXPECT_NE (handler.deviceState.load(), DeviceState::DeviceReady) << "the request was not answered";
        EXPECT_EQ (rig.registry.findOpenDevice (MeterTestRig::meterName), nullptr);
    }
}

//==============================================================================
// Under AddressSanitizer a message that reached the destroyed handler's manager is a use after free.
TEST (MeterHandlerLifetime, ListeningMessagesForADestroyedHandlerDoNothing)
{
    VirtualDeviceRegistry registry;
    auto handler = std::make_unique<AudioDeviceHandler> (nullptr, registry.makeFactory());

    RegisterCallbackMessage::send (handler->outputDeviceManager, *handler, false);
    RegisterCallbackMessage::send (handler->outputDeviceManager, *handler, true);
    handler.reset();

    pumpMessagesFor (50);
}

TEST (MeterHandlerLifetime, StopThreadReturnsWhileTheThreadWaitsForTheMessageThread)
{
    VirtualDeviceRegistry registry;
    registry.addDevice (MeterTestRig::meterDescription());
    auto handler = std::make_unique<AudioDeviceHandler> (nullptr, registry.makeFactory());

    // The first turn searches, for which the thread needs the message-manager lock; this thread
    // does not pump, so the handler thread waits for it.
    handler->prepareForDevices (2, 48000);
    handler->startThread();
    juce::Thread::sleep (100);

    const Watchdog watchdog (10000);
    const auto start = juce::Time::getMillisecondCounter();
    handler->stopThread (-1);
    EXPECT_LT (juce::Time::getMillisecondCounter() - start, 2000u);
    EXPECT_NE (handler->deviceState.load(), DeviceState::DeviceReady) << "the search ran without the lock";

    handler.reset();
    pumpMessagesFor (20);
}
} // namespace

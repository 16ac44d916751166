#include "JackServer.h"
#include "MessagePump.h"
#include "MeterClientReport.h"
#include "SourceClientSignal.h"
#include "SpawnedProcess.h"
#include "audio/AudioDeviceTypeFactory.h"
#include "audio/DeviceState.h"
#include "audio/jack/JackAudioDeviceType.h"
#include "audio/StandaloneProcessor.h"
#include "i18n/ScopedTranslations.h"

#include <gtest/gtest.h>
#include <jack/jack.h>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <unistd.h>

namespace
{
const juce::String meterName ("KM7-Solvin Output");
const juce::String sourceName ("Test Source");
const juce::String recorderName ("Test Recorder");
constexpr int numMeterPorts = 6;
constexpr int numSourcePorts = 2;

AudioDeviceTypeFactory jackDeviceTypes()
{
    return []
    {
        std::vector<std::unique_ptr<juce::AudioIODeviceType>> types;
        types.emplace_back (std::make_unique<JackAudioDeviceType>());
        return types;
    };
}

/** What a measuring client (by default the meter) should measure: per port, the level it carries
    alone, or 0 for silence. */
std::function<bool (const MeterClientReport::Window&)> meterPorts (std::vector<float> levels, int numPorts = numMeterPorts)
{
    levels.resize ((size_t) numPorts, 0.0f);

    return [levels] (const MeterClientReport::Window& window)
    {
        for (size_t port = 0; port < levels.size(); ++port)
        {
            const bool matches = levels[port] == 0.0f ? MeterClientReport::isSilent (window, port)
                                                      : MeterClientReport::carries (window, port, levels[port]);
            if (! matches)
                return false;
        }

        return true;
    };
}

std::string describeLevels (const std::vector<float>& levels)
{
    juce::StringArray parts;
    for (auto level : levels)
        parts.add (level == 0.0f ? juce::String ("silence") : juce::String (level));
    return parts.joinIntoString (", ").toStdString();
}

/** The meter handler's states as its change broadcasts show them, for failure messages: a state
    the test waited for in vain says little without the ones that came before. Message thread. */
class HandlerStateLog : public juce::ChangeListener
{
public:
    explicit HandlerStateLog (AudioDeviceHandler& h) : handler (h) { handler.addChangeListener (this); }
    ~HandlerStateLog() override { handler.removeChangeListener (this); }

    void changeListenerCallback (juce::ChangeBroadcaster*) override
    {
        states.add ("state " + juce::String (handler.deviceState.load()) + " (requested "
                    + juce::String (handler.requestedState.load()) + ")");
    }

    std::string describe() const
    {
        return "; states broadcast so far: " + (states.isEmpty() ? juce::String ("none") : states.joinIntoString (", ")).toStdString();
    }

private:
    AudioDeviceHandler& handler;
    juce::StringArray states;
};

/** Plays -levelOfChannel (c) on output c, so that what the meter measures is told apart from the
    source client's signal. Runs on the JACK client's process thread. */
class NegativeLevelWriter : public juce::AudioIODeviceCallback
{
public:
    void audioDeviceIOCallbackWithContext (const float* const*, int, float* const* outputs, int numOutputs,
                                           int numSamples, const juce::AudioIODeviceCallbackContext&) override
    {
        for (int c = 0; c < numOutputs; ++c)
            juce::FloatVectorOperations::fill (outputs[c], -SourceClientSignal::levelOfChannel (c), numSamples);
    }

    void audioDeviceAboutToStart (juce::AudioIODevice*) override {}
    void audioDeviceStopped() override {}
};
} // namespace

/** A JACK server with the dummy backend, of a name of its own, and two clients of our own on it:
    "KM7-Solvin Output" (6 input ports that measure what arrives) and "Test Source" (2 output ports
    with a constant level each). Everything started here is stopped by process id in TearDown. */
class EndToEndJack : public ::testing::Test
{
protected:
    void SetUp() override
    {
        START_JACK_SERVER_OR_SKIP (server);

        // The source joins only once the meter has: two clients that join a server at once race
        // for libjack's metadata store, and the loser waits three seconds.
        ASSERT_TRUE (startMeterClient());
        ASSERT_TRUE (startSourceClient());
    }

    void TearDown() override
    {
        // The test body has closed every JUCE device by now: the clients and the server go last.
        const bool recorderStopped = recorder == nullptr || recorder->stop (5000);
        const bool sourceStopped = source == nullptr || source->stop (5000);
        const bool meterStopped = meter == nullptr || meter->stop (5000);
        const bool serverStopped = server.stop();

        EXPECT_TRUE (recorderStopped) << "the recorder client ignored SIGTERM";
        EXPECT_TRUE (sourceStopped) << "the source client ignored SIGTERM";
        EXPECT_TRUE (meterStopped) << "the meter client ignored SIGTERM";
        EXPECT_TRUE (serverStopped) << "jackd ignored SIGTERM";

        if (HasFailure())
            for (auto* process : { server.getProcess(), meter.get(), source.get(), recorder.get() })
                if (process != nullptr)
                    std::cout << "---- end of " << process->getOutputFile().getFileName() << "\n"
                              << _endOfLog (*process) << "\n";

        recorder.reset();
        source.reset();
        meter.reset();
    }

    /** Starts a client of our own and waits until it has joined the server. */
    ::testing::AssertionResult startClient (std::unique_ptr<SpawnedProcess>& process, const juce::String& program,
                                            const juce::String& name, int numPorts, const juce::String& logName)
    {
        process = std::make_unique<SpawnedProcess> (juce::StringArray { program, name, juce::String (numPorts) },
                                                    server.environment(), server.getLogFolder().getChildFile (logName));

        if (! process->started())
            return ::testing::AssertionFailure() << program << " cannot be run";

        pumpMessagesUntil ([&] { return process->hasWrittenLine ("ready") || ! process->isRunning(); }, 30000);

        if (! process->hasWrittenLine ("ready"))
            return ::testing::AssertionFailure() << name << " did not join the server";

        return ::testing::AssertionSuccess();
    }

    /** (Re)starts the source client ("Test Source", 2 output ports). */
    ::testing::AssertionResult startSourceClient()
    {
        return startClient (source, KESTRO_E2E_SOURCE_CLIENT, sourceName, numSourcePorts, "source.log");
    }

    /** (Re)starts the meter stand-in and waits until it has joined the server. Each start writes
        a fresh log, which `report` then reads. */
    ::testing::AssertionResult startMeterClient()
    {
        report.reset();

        if (auto started = startClient (meter, KESTRO_E2E_METER_CLIENT, meterName, numMeterPorts, "meter.log"); ! started)
            return started;

        report = std::make_unique<MeterClientReport> (meter->getOutputFile());
        return ::testing::AssertionSuccess();
    }

    /** Opens the source client as the input device, as the Audio tab does, and waits until the
        handler has found and probed the meter client. */
    ::testing::AssertionResult openSourceAndFindMeter (StandaloneProcessor& processor, const HandlerStateLog& states)
    {
        auto setup = processor.inputDeviceManager.getAudioDeviceSetup();
        setup.inputDeviceName = sourceName;
        setup.useDefaultInputChannels = false;
        setup.inputChannels.clear();
        setup.inputChannels.setRange (0, numSourcePorts, true);

        if (const auto error = processor.inputDeviceManager.setAudioDeviceSetup (setup, true); error.isNotEmpty())
            return ::testing::AssertionFailure() << "the source does not open: " << error;

        // The processor learns the active inputs from the device manager's change message, which
        // arrives a moment after the device was opened.
        if (! pumpMessagesUntil ([&]
            {
                return processor.inputDeviceManager.getAudioDeviceSetup().inputDeviceName == sourceName
                    && processor.numActiveInputs == numSourcePorts;
            }, 15000))
            return ::testing::AssertionFailure() << "active inputs: " << processor.numActiveInputs.load();

        if (! pumpMessagesUntil ([&] { return processor.deviceHandler.deviceState == DeviceState::DeviceReady; }, 30000))
            return ::testing::AssertionFailure() << "the handler did not find and probe the meter client" << states.describe();

        return ::testing::AssertionSuccess();
    }

    /** Opens the source, lets the handler find the meter and routes: the meter then plays source
        channels 1 and 2 on in_1 and in_2. */
    ::testing::AssertionResult routeTheSource (StandaloneProcessor& processor, const HandlerStateLog& states)
    {
        const auto level = SourceClientSignal::levelOfChannel;

        if (auto opened = openSourceAndFindMeter (processor, states); ! opened)
            return opened;

        if (auto routing = setRouting (processor.deviceHandler, true, states); ! routing)
            return routing;

        return meterReports (meterPorts ({ level (0), level (1) }), "source channels 1, 2 on in_1, in_2");
    }

    /** Asks for routing on or off as the editor does and waits for Routing or DeviceReady. */
    static ::testing::AssertionResult setRouting (AudioDeviceHandler& handler, bool on, const HandlerStateLog& states)
    {
        const auto wanted = on ? DeviceState::Routing : DeviceState::DeviceReady;
        handler.requestedState = wanted;
        handler.notify();

        if (pumpMessagesUntil ([&] { return handler.deviceState == wanted; }, 15000))
            return ::testing::AssertionSuccess();

        return ::testing::AssertionFailure() << "routing did not " << (on ? "start" : "stop") << states.describe();
    }

    /** Pumps the message loop until the meter client reports a window, measured wholly after this
        call, that satisfies `condition`. */
    ::testing::AssertionResult meterReports (const std::function<bool (const MeterClientReport::Window&)>& condition,
                                             const std::string& what, int timeoutMs = 15000)
    {
        return clientReports (*report, condition, what, timeoutMs);
    }

    /** The same for any measuring client's report. */
    static ::testing::AssertionResult clientReports (MeterClientReport& clientReport,
                                                     const std::function<bool (const MeterClientReport::Window&)>& condition,
                                                     const std::string& what, int timeoutMs = 15000)
    {
        const auto since = MeterClientReport::now();
        std::optional<MeterClientReport::Window> newest;

        const bool found = pumpMessagesUntil ([&]
        {
            for (auto& window : clientReport.readNewWindows())
            {
                if (window.beginMicroseconds < since)
                    continue;

                newest = window;
                if (condition (window))
                    return true;
            }

            return false;
        }, timeoutMs);

        if (found)
            return ::testing::AssertionSuccess();

        return ::testing::AssertionFailure()
            << "the client did not measure " << what << " within " << timeoutMs << " ms; newest window: "
            << (newest ? MeterClientReport::describe (*newest) : juce::String ("none"));
    }

    /** Every window the meter client measures over the next `milliseconds`, and at least three, is
        silent on every port. A loaded machine may hold the server's cycle up for a while, so the
        count of windows, not the time, decides; the time only sets a lower bound. */
    ::testing::AssertionResult meterStaysSilentFor (int milliseconds)
    {
        constexpr int minWindows = 3;
        const auto since = MeterClientReport::now();
        const auto start = juce::Time::getMillisecondCounter();
        const auto silent = meterPorts ({});
        std::optional<MeterClientReport::Window> offending;
        int numWindows = 0;

        pumpMessagesUntil ([&]
        {
            for (auto& window : report->readNewWindows())
            {
                if (window.beginMicroseconds < since)
                    continue;

                ++numWindows;
                if (! silent (window))
                    offending = window;
            }

            return offending.has_value()
                || (numWindows >= minWindows && juce::Time::getMillisecondCounter() - start >= (juce::uint32) milliseconds);
        }, milliseconds + 15000);

        if (offending)
            return ::testing::AssertionFailure() << "sound after silence: " << MeterClientReport::describe (*offending);
        if (numWindows < minWindows)
            return ::testing::AssertionFailure() << "the meter client measured only " << numWindows << " windows";

        return ::testing::AssertionSuccess();
    }

    JackServer server;
    std::unique_ptr<SpawnedProcess> meter, source, recorder;
    std::unique_ptr<MeterClientReport> report;

private:
    /** The last lines of a child's output, without the server's routine xrun reports and the
        meter's windows (the failure message shows the newest window). */
    static juce::String _endOfLog (const SpawnedProcess& process)
    {
        auto lines = juce::StringArray::fromLines (process.readOutput());
        lines.removeEmptyStrings();
        lines.strings.removeIf ([] (const juce::String& line)
        {
            return line.contains ("XRun") || line.contains ("Process error") || line.startsWith ("window ");
        });
        lines.removeRange (0, lines.size() - 20);
        return lines.joinIntoString ("\n");
    }

};

TEST_F (EndToEndJack, JackTypeListsTheClientsAndPlaysIntoTheMeterClient)
{
    JackAudioDeviceType type;
    type.scanForDevices();

    // A client with input ports only is an output device, and the other way round.
    const auto outputs = type.getDeviceNames (false);
    const auto inputs = type.getDeviceNames (true);
    EXPECT_TRUE (outputs.contains (meterName)) << outputs.joinIntoString (", ");
    EXPECT_FALSE (inputs.contains (meterName)) << inputs.joinIntoString (", ");
    EXPECT_TRUE (inputs.contains (sourceName)) << inputs.joinIntoString (", ");
    EXPECT_FALSE (outputs.contains (sourceName)) << outputs.joinIntoString (", ");

    juce::AudioDeviceManager manager;
    addAudioDeviceTypes (manager, jackDeviceTypes());

    juce::AudioDeviceManager::AudioDeviceSetup setup;
    setup.outputDeviceName = meterName;
    setup.useDefaultOutputChannels = false;
    setup.outputChannels.setRange (0, numMeterPorts, true);
    setup.useDefaultInputChannels = false;

    ASSERT_EQ (manager.initialise (0, numMeterPorts, nullptr, false, {}, &setup), juce::String());
    ASSERT_NE (manager.getCurrentAudioDevice(), nullptr);
    EXPECT_EQ (manager.getCurrentAudioDevice()->getName(), meterName);

    NegativeLevelWriter writer;
    manager.addAudioCallback (&writer);

    std::vector<float> expected;
    for (int c = 0; c < numMeterPorts; ++c)
        expected.push_back (-SourceClientSignal::levelOfChannel (c));

    EXPECT_TRUE (meterReports (meterPorts (expected), describeLevels (expected)));

    manager.removeAudioCallback (&writer);
    manager.closeAudioDevice();

    EXPECT_TRUE (meterReports (meterPorts ({}), "silence on every port once JUCE closed the device"));
    EXPECT_TRUE (meterStaysSilentFor (500));
}

TEST_F (EndToEndJack, RoutingPlaysTheSourceChannelsOnTheMeterInTheMappedOrder)
{
    const ScopedTranslations restoreTranslations;
    StandaloneProcessor processor (jackDeviceTypes());
    auto& handler = processor.deviceHandler;
    const HandlerStateLog states (handler);

    ASSERT_TRUE (openSourceAndFindMeter (processor, states));
    EXPECT_EQ (handler.deviceName, meterName);
    EXPECT_TRUE (meterStaysSilentFor (300)) << "the probe must not leave the meter playing";

    ASSERT_TRUE (setRouting (handler, true, states));

    const auto level = SourceClientSignal::levelOfChannel;
    EXPECT_TRUE (meterReports (meterPorts ({ level (0), level (1) }),
                               "source channels 1, 2 on in_1, in_2 and nothing else"));

    ASSERT_TRUE (processor.setChannelMappingEntry (0, 1, numSourcePorts));
    ASSERT_TRUE (processor.setChannelMappingEntry (1, 0, numSourcePorts));
    EXPECT_TRUE (meterReports (meterPorts ({ level (1), level (0) }),
                               "source channels 2, 1 on in_1, in_2 after the swap"));
    EXPECT_EQ (handler.deviceState.load(), DeviceState::Routing) << states.describe();

    ASSERT_TRUE (setRouting (handler, false, states));

    EXPECT_TRUE (meterReports (meterPorts ({}), "silence on every port once routing is off"));
    EXPECT_TRUE (meterStaysSilentFor (500));
}

TEST_F (EndToEndJack, MeterClientEndingWhileRoutingEndsRoutingAndReturnsWithRoutingOff)
{
    const ScopedTranslations restoreTranslations;
    StandaloneProcessor processor (jackDeviceTypes());
    auto& handler = processor.deviceHandler;
    const HandlerStateLog states (handler);
    const auto level = SourceClientSignal::levelOfChannel;

    ASSERT_TRUE (routeTheSource (processor, states));

    // The meter's device leaves the list and closes.
    ASSERT_TRUE (meter->stop (5000));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return handler.deviceState == DeviceState::Searching; }, 15000))
        << "the meter's client ended, but the handler did not notice" << states.describe();
    EXPECT_EQ (handler.outputDeviceManager.getCurrentAudioDevice(), nullptr);

    // The re-probe finds the meter once it is back: routing off, the request cancelled.
    ASSERT_TRUE (startMeterClient());
    ASSERT_TRUE (pumpMessagesUntil ([&] { return handler.deviceState == DeviceState::DeviceReady; }, 15000))
        << "the meter's client is back, but the handler did not find it" << states.describe();
    EXPECT_EQ (handler.requestedState.load(), 0);
    EXPECT_TRUE (meterStaysSilentFor (500)) << "routing resumed by itself";
    EXPECT_EQ (handler.deviceState.load(), DeviceState::DeviceReady) << states.describe();

    ASSERT_TRUE (setRouting (handler, true, states));
    EXPECT_TRUE (meterReports (meterPorts ({ level (0), level (1) }), "source channels 1, 2 after routing again"));
    ASSERT_TRUE (setRouting (handler, false, states));
}

TEST_F (EndToEndJack, RoutingRequestAfterTheMeterClientEndedIsNotRouting)
{
    const ScopedTranslations restoreTranslations;
    StandaloneProcessor processor (jackDeviceTypes());
    auto& handler = processor.deviceHandler;
    const HandlerStateLog states (handler);

    ASSERT_TRUE (openSourceAndFindMeter (processor, states));

    // DeviceReady is not verified again, so the request is what meets the missing meter.
    ASSERT_TRUE (meter->stop (5000));
    handler.requestedState = DeviceState::Routing;
    handler.notify();

    bool sawRouting = false;
    const auto sawRoutingOrSearching = [&]
    {
        sawRouting = sawRouting || handler.deviceState == DeviceState::Routing;
        return sawRouting || handler.deviceState == DeviceState::Searching;
    };

    ASSERT_TRUE (pumpMessagesUntil (sawRoutingOrSearching, 15000)) << "the request got no answer" << states.describe();
    pumpMessagesUntil ([&] { sawRoutingOrSearching(); return sawRouting; }, 1000);
    EXPECT_FALSE (sawRouting) << "routing reported to a meter that has gone" << states.describe();
    EXPECT_EQ (handler.deviceState.load(), DeviceState::Searching) << states.describe();
}

TEST_F (EndToEndJack, MeterClientEndingWhileAnotherClientListensToTheMetersFeedEndsRouting)
{
    const ScopedTranslations restoreTranslations;
    StandaloneProcessor processor (jackDeviceTypes());
    auto& handler = processor.deviceHandler;
    const HandlerStateLog states (handler);
    const auto level = SourceClientSignal::levelOfChannel;

    ASSERT_TRUE (routeTheSource (processor, states));

    // A recorder joins the ports that feed the meter, as a patchbay would connect it.
    ASSERT_TRUE (startClient (recorder, KESTRO_E2E_METER_CLIENT, recorderName, numSourcePorts, "recorder.log"));
    MeterClientReport recorderReport (recorder->getOutputFile());
    {
        jack_status_t status {};
        auto* patchbay = jack_client_open ("kestro-e2e-patchbay", JackNoStartServer, &status);
        ASSERT_NE (patchbay, nullptr);

        for (int c = 0; c < numSourcePorts; ++c)
        {
            const auto meterPort = meterName + ":in_" + juce::String (c + 1);
            const char** feeds = jack_port_get_all_connections (patchbay, jack_port_by_name (patchbay, meterPort.toRawUTF8()));
            ASSERT_NE (feeds, nullptr) << meterPort << " is fed by nothing";

            // Every feed: the input device's own output may feed the meter too (with silence).
            for (auto** feed = feeds; *feed != nullptr; ++feed)
                EXPECT_EQ (jack_connect (patchbay, *feed, (recorderName + ":in_" + juce::String (c + 1)).toRawUTF8()), 0);

            jack_free (feeds);
        }

        jack_client_close (patchbay);
    }

    ASSERT_TRUE (clientReports (recorderReport, meterPorts ({ level (0), level (1) }, numSourcePorts), "the routed source on the recorder"));

    // The meter's client ends; ours stay connected to the recorder. The meter is gone all the same.
    ASSERT_TRUE (meter->stop (5000));
    EXPECT_TRUE (pumpMessagesUntil ([&] { return handler.deviceState == DeviceState::Searching; }, 5000))
        << "the meter's client ended, but routing went on to the recorder" << states.describe();
    EXPECT_TRUE (clientReports (recorderReport, meterPorts ({}, numSourcePorts), "silence on the recorder once routing ended", 5000));
}

TEST_F (EndToEndJack, SourceLeavingClosesTheInputAndChoosingItAgainOnceBackPlaysEveryChannel)
{
    const ScopedTranslations restoreTranslations;
    StandaloneProcessor processor (jackDeviceTypes());
    auto& handler = processor.deviceHandler;
    auto& inputs = processor.inputDeviceManager;
    const HandlerStateLog states (handler);
    const auto level = SourceClientSignal::levelOfChannel;

    ASSERT_TRUE (routeTheSource (processor, states));

    // The source's device leaves the list, so the input device closes and the manager falls back
    // (the input manager's device also has an output, whose name it bears); routing ends.
    ASSERT_TRUE (source->stop (5000));
    EXPECT_TRUE (pumpMessagesUntil ([&]
    {
        return inputs.getAudioDeviceSetup().inputDeviceName != sourceName && handler.deviceState != DeviceState::Routing;
    }, 5000)) << "the source's client ended, but its device stayed open" << states.describe();

    // The user's choice is kept for config.xml.
    auto saved = inputs.createStateXml();
    ASSERT_NE (saved, nullptr);
    EXPECT_EQ (saved->getStringAttribute ("audioInputDeviceName"), sourceName);

    // Back, it is listed again, and choosing it opens it with both channels connected.
    ASSERT_TRUE (startSourceClient());
    auto* type = inputs.getCurrentDeviceTypeObject();
    ASSERT_NE (type, nullptr);
    EXPECT_TRUE (pumpMessagesUntil ([&] { return type->getDeviceNames (true).contains (sourceName); }, 5000))
        << type->getDeviceNames (true).joinIntoString (", ");

    ASSERT_TRUE (openSourceAndFindMeter (processor, states));
    ASSERT_TRUE (setRouting (handler, true, states));
    EXPECT_TRUE (meterReports (meterPorts ({ level (0), level (1) }), "source channels 1, 2 after choosing the source again"));
    ASSERT_TRUE (setRouting (handler, false, states));
}

TEST_F (EndToEndJack, SwappedMappingStaysWhenAnotherClientJoins)
{
    const ScopedTranslations restoreTranslations;
    StandaloneProcessor processor (jackDeviceTypes());
    auto& handler = processor.deviceHandler;
    const HandlerStateLog states (handler);
    const auto level = SourceClientSignal::levelOfChannel;

    ASSERT_TRUE (routeTheSource (processor, states));
    ASSERT_TRUE (processor.setChannelMappingEntry (0, 1, numSourcePorts));
    ASSERT_TRUE (processor.setChannelMappingEntry (1, 0, numSourcePorts));
    ASSERT_TRUE (meterReports (meterPorts ({ level (1), level (0) }), "source channels 2, 1 after the swap"));

    struct Counter : juce::ChangeListener
    {
        void changeListenerCallback (juce::ChangeBroadcaster*) override { ++count; }
        int count = 0;
    } notifications;
    processor.inputDeviceManager.addChangeListener (&notifications);

    // Another client with audio ports changes the JACK type's list, and the input manager
    // broadcasts; the open input is the same.
    ASSERT_TRUE (startClient (recorder, KESTRO_E2E_METER_CLIENT, recorderName, numSourcePorts, "recorder.log"));
    EXPECT_TRUE (pumpMessagesUntil ([&] { return notifications.count > 0; }, 5000)) << "no broadcast for the new client";
    processor.inputDeviceManager.removeChangeListener (&notifications);

    EXPECT_EQ (processor.channelMapping[0], 1);
    EXPECT_EQ (processor.channelMapping[1], 0);
    EXPECT_TRUE (meterReports (meterPorts ({ level (1), level (0) }), "source channels 2, 1 still after the client joined"));
    ASSERT_TRUE (setRouting (handler, false, states));
}

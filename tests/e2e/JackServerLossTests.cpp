// The application binary on a JACK server that goes away under it and comes back, and a start
// without the server between two with it: the process must live on, quit normally and keep the
// user's input device and mapping in config.xml, and once the server is back, reopen the input by
// itself and route with the user's mapping at one click of the routing button, never without it.

#include "ChildApplication.h"
#include "JackServer.h"
#include "MessagePump.h"
#include "MeterClientReport.h"
#include "RoutingButtonPicture.h"
#include "SourceClientSignal.h"

#include <gtest/gtest.h>
#include <jack/jack.h>

#include <csignal>
#include <memory>
#include <ostream>
#include <vector>

namespace
{
const juce::String meterName ("KM7-Solvin Output");
const juce::String sourceName ("Test Source");
/** The mapping the user chose in an earlier run: the source's two channels swapped. */
const juce::String userMapping ("1,0,2,3,4,5");

constexpr int routingButtonX = RoutingButtonPicture::centreX;
constexpr int routingButtonY = RoutingButtonPicture::centreY;

/** How the server goes away and comes back: jackd ended by a signal and started again under its
    name (which also gives a killed server's registry entry back), or, on PipeWire, pipewire and
    wireplumber restarted in their session. */
enum class ServerEnd
{
    sigterm,
    sigkill,
    pipewireRestart
};

const char* nameOf (ServerEnd end)
{
    switch (end)
    {
        case ServerEnd::sigterm: return "SIGTERM";
        case ServerEnd::sigkill: return "SIGKILL";
        case ServerEnd::pipewireRestart: return "PipeWireRestart";
    }
    return "Unknown";
}

/** For GoogleTest's and CTest's names of the cases. */
void PrintTo (ServerEnd end, std::ostream* stream) { *stream << nameOf (end); }

/** The ends that apply to the server the tests run on (KESTRO_JACK_SERVER, see JackServer). */
std::vector<ServerEnd> serverEndsOfThisRun()
{
    if (JackServer::usesRunningServer())
        return { ServerEnd::pipewireRestart };

    return { ServerEnd::sigterm, ServerEnd::sigkill };
}

juce::String configText()
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<KestroVantrelStandalone><Processor><AudioDevice>"
           "<DEVICESETUP deviceType=\"JACK\" audioOutputDeviceName=\"\" audioInputDeviceName=\""
         + sourceName + "\" audioDeviceRate=\"48000\"/></AudioDevice><ChannelMapping>" + userMapping
         + "</ChannelMapping></Processor></KestroVantrelStandalone>\n";
}

/** A JACK server of one fixed name (a killed server's registry entry is reclaimed only by a server
    of its name), the meter stand-in and the source client on it, and the application in a
    temporary home whose config.xml chooses the source as input with the user's mapping. */
class JackServerLoss : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isEmpty())
        {
            if (JackServer::isRequired())
                FAIL() << "KESTRO_REQUIRE_JACK is set, but there is no X display for the application";
            GTEST_SKIP() << "needs an X display (run under xvfb-run)";
        }

        home = juce::File::createTempFile ("kestro-serverloss");
        ASSERT_TRUE (home.createDirectory());
        ASSERT_TRUE (configFile().getParentDirectory().createDirectory());
        ASSERT_TRUE (configFile().replaceWithText (configText()));

        // No sound card: the JACK server is the only place an input or the meter can be.
        const auto alsaConfig = home.getChildFile ("empty-alsa.conf");
        ASSERT_TRUE (alsaConfig.create());
        environment = server.environment();
        environment.set ("HOME", home.getFullPathName());
        environment.set ("ALSA_CONFIG_PATH", alsaConfig.getFullPathName());
    }

    void TearDown() override
    {
        if (app != nullptr && app->isRunning())
        {
            app->sendSignal (SIGKILL);
            app->waitForExit (5000);
        }

        stopClients();
        EXPECT_TRUE (server.stop()) << "jackd ignored SIGTERM";
        home.deleteRecursively();
    }

    juce::File configFile() const { return home.getChildFile (".config/Kestro/Vantrel/config.xml"); }

    /** Starts the meter stand-in and the source; the server runs. */
    ::testing::AssertionResult startClients()
    {
        const auto folder = server.getLogFolder();
        meter = std::make_unique<SpawnedProcess> (juce::StringArray { KESTRO_E2E_METER_CLIENT, meterName, "6" },
                                                  server.environment(), folder.getChildFile ("meter.log"));
        if (! pumpMessagesUntil ([this] { return meter->hasWrittenLine ("ready") || ! meter->isRunning(); }, 30000)
            || ! meter->hasWrittenLine ("ready"))
            return ::testing::AssertionFailure() << "the meter client did not join: " << meter->readOutput();

        source = std::make_unique<SpawnedProcess> (juce::StringArray { KESTRO_E2E_SOURCE_CLIENT, sourceName, "2" },
                                                   server.environment(), folder.getChildFile ("source.log"));
        if (! pumpMessagesUntil ([this] { return source->hasWrittenLine ("ready") || ! source->isRunning(); }, 30000)
            || ! source->hasWrittenLine ("ready"))
            return ::testing::AssertionFailure() << "the source client did not join: " << source->readOutput();

        report = std::make_unique<MeterClientReport> (meter->getOutputFile());
        return ::testing::AssertionSuccess();
    }

    void stopClients()
    {
        if (source != nullptr)
        {
            EXPECT_TRUE (source->stop (5000));
        }

        if (meter != nullptr)
        {
            EXPECT_TRUE (meter->stop (5000));
        }
        source.reset();
        meter.reset();
        report.reset();
    }

    void launch (const juce::String& logName)
    {
        app = std::make_unique<ChildApplication> (KESTRO_APP_BINARY, environment, home.getChildFile (logName + ".log"));
    }

    /** Whether the meter client measures, in a window wholly after `since`, the source's channels in
        the user's (swapped) order on its first two ports. */
    bool meterShowsUserMapping (juce::int64 since, int timeoutMs)
    {
        const auto level = SourceClientSignal::levelOfChannel;

        return pumpMessagesUntil ([&]
        {
            for (auto& window : report->readNewWindows())
                if (window.beginMicroseconds >= since && MeterClientReport::carries (window, 0, level (1))
                    && MeterClientReport::carries (window, 1, level (0)))
                    return true;

            return false;
        }, timeoutMs);
    }

    /** Clicks the routing button until the meter plays the input in the user's mapping. A click
        before the meter has been found does nothing, so the test clicks again after a while; a
        click while routing would end it, so it waits long enough for routing to show first. */
    ::testing::AssertionResult routeByClicking()
    {
        for (int attempt = 0; attempt < 8; ++attempt)
        {
            const auto since = MeterClientReport::now();

            // A window that has only just been found may not be viewable yet on a busy machine,
            // and xdotool then refuses it; that click, like one before the meter was found, is
            // tried again.
            if (! app->click (routingButtonX, routingButtonY))
            {
                if (! app->isRunning())
                    return ::testing::AssertionFailure() << "the application ended before routing:\n"
                                                         << app->readOutput().getLastCharacters (3000);

                juce::Thread::sleep (500);
                continue;
            }

            if (meterShowsUserMapping (since, 5000))
                return ::testing::AssertionSuccess();
        }

        return ::testing::AssertionFailure() << "the meter never played the source in the user's mapping:\n"
                                             << app->readOutput().getLastCharacters (3000);
    }

    /** The server goes away under the routing application and comes back with the stand-in
        clients, which ended with it. The application must live through it. */
    ::testing::AssertionResult endAndRestartTheServer (ServerEnd end)
    {
        if (end == ServerEnd::pipewireRestart)
        {
            if (const auto problem = server.restartRunningServer(); problem.isNotEmpty())
                return ::testing::AssertionFailure() << problem;
        }
        else
        {
            const int signal = end == ServerEnd::sigkill ? SIGKILL : SIGTERM;
            if (! server.getProcess()->sendSignal (signal))
                return ::testing::AssertionFailure() << "jackd could not be signalled";
            if (! server.getProcess()->waitForExit (10000))
                return ::testing::AssertionFailure() << "jackd did not end on signal " << signal;
        }

        const auto start = juce::Time::getMillisecondCounter();
        while (app->isRunning() && juce::Time::getMillisecondCounter() - start < 5000)
            juce::Thread::sleep (100);

        if (! app->isRunning())
            return ::testing::AssertionFailure() << "the application died with the server:\n"
                                                 << app->readOutput().getLastCharacters (3000);

        stopClients();

        if (end != ServerEnd::pipewireRestart)
            if (const auto problem = server.start(); problem.isNotEmpty())
                return ::testing::AssertionFailure() << "jackd did not start again: " << problem;

        return startClients();
    }

    /** Waits until the routing button shows `picture` (see RoutingButtonPicture). */
    bool waitForButton (const juce::String& picture, int timeoutMs)
    {
        return pumpMessagesUntil ([&] { return routingButton() == picture; }, timeoutMs);
    }

    juce::String routingButton()
    {
        const auto window = app->findWindow();
        return window.isEmpty() ? juce::String ("no window") : RoutingButtonPicture::read (window);
    }

    /** The ports the source's ports feed, as the server lists them: the application's input
        ports while its input device is open. */
    juce::StringArray portsTheSourceFeeds()
    {
        juce::StringArray fed;
        jack_status_t status {};
        auto* patchbay = jack_client_open ("kestro-e2e-patchbay", JackNoStartServer, &status);
        if (patchbay == nullptr)
            return fed;

        for (int c = 0; c < 2; ++c)
        {
            const auto port = sourceName + ":out_" + juce::String (c + 1);
            if (auto* handle = jack_port_by_name (patchbay, port.toRawUTF8()))
                if (const char** connections = jack_port_get_all_connections (patchbay, handle))
                {
                    for (auto** connection = connections; *connection != nullptr; ++connection)
                        fed.addIfNotAlreadyThere (*connection);
                    jack_free (connections);
                }
        }

        jack_client_close (patchbay);
        return fed;
    }

    /** What the test saw of the application, for failure messages. */
    std::string observed()
    {
        const auto fed = portsTheSourceFeeds();
        return ("routing button: " + routingButton() + "; the source feeds: "
                + (fed.isEmpty() ? juce::String ("nothing (input closed)") : fed.joinIntoString (", "))
                + "; the application's output ends:\n" + app->readOutput().getLastCharacters (3000))
            .toStdString();
    }

    /** Whether any window the meter measured since it last was asked holds anything but silence. */
    bool meterPlayedAnything()
    {
        for (auto& window : report->readNewWindows())
            for (size_t port = 0; port < window.ports.size(); ++port)
                if (! MeterClientReport::isSilent (window, port))
                    return true;

        return false;
    }

    /** Ends the application as the system does and returns its exit code. */
    int quit()
    {
        if (! app->sendSignal (SIGTERM))
            return -1;

        return app->waitForExit (15000);
    }

    void expectConfigKeepsTheUsersChoice()
    {
        auto root = juce::parseXML (configFile());
        ASSERT_NE (root, nullptr) << configFile().loadFileAsString();
        auto* setup = root->getChildByName ("Processor") != nullptr
                          ? root->getChildByName ("Processor")->getChildByName ("AudioDevice")
                          : nullptr;
        ASSERT_NE (setup, nullptr) << configFile().loadFileAsString();
        ASSERT_NE (setup->getFirstChildElement(), nullptr) << configFile().loadFileAsString();
        EXPECT_EQ (setup->getFirstChildElement()->getStringAttribute ("audioInputDeviceName"), sourceName);
        EXPECT_EQ (setup->getFirstChildElement()->getStringAttribute ("deviceType"), juce::String ("JACK"));

        auto* mapping = root->getChildByName ("Processor")->getChildByName ("ChannelMapping");
        ASSERT_NE (mapping, nullptr) << configFile().loadFileAsString();
        EXPECT_EQ (mapping->getAllSubText().trim(), userMapping);
    }

    JackServer server { "kestro-e2e-serverloss" };
    std::unique_ptr<SpawnedProcess> meter, source;
    std::unique_ptr<MeterClientReport> report;
    std::unique_ptr<ChildApplication> app;
    juce::File home;
    juce::StringPairArray environment;
};

class JackServerLossAndReturn : public JackServerLoss,
                                public ::testing::WithParamInterface<ServerEnd>
{
};

TEST_P (JackServerLossAndReturn, ApplicationLivesOnAndQuitsKeepingTheUsersChoice)
{
    START_JACK_SERVER_OR_SKIP (server);
    ASSERT_TRUE (startClients());

    launch ("app");
    ASSERT_TRUE (app->waitForWindow (15000)) << app->readOutput();
    ASSERT_TRUE (routeByClicking());

    // The server goes away with the input and the meter open on it, and comes back; the
    // application keeps running beside it.
    ASSERT_TRUE (endAndRestartTheServer (GetParam()));
    juce::Thread::sleep (3000);
    ASSERT_TRUE (app->isRunning()) << app->readOutput().getLastCharacters (3000);

    EXPECT_EQ (quit(), 0) << app->readOutput().getLastCharacters (3000);
    expectConfigKeepsTheUsersChoice();
}

TEST_P (JackServerLossAndReturn, ServerReturnReopensTheInputAndOneClickRoutesWithTheUsersMapping)
{
    START_JACK_SERVER_OR_SKIP (server);
    ASSERT_TRUE (startClients());

    launch ("app");
    ASSERT_TRUE (app->waitForWindow (15000)) << app->readOutput();
    ASSERT_TRUE (routeByClicking());
    ASSERT_TRUE (endAndRestartTheServer (GetParam()));

    // Nothing but the server's return: the saved input opens again and the meter is found, so
    // the button offers routing. The meter searches every 2 s; the rest is slack for a busy
    // machine.
    ASSERT_TRUE (waitForButton ("ready", 30000)) << "the routing button never offered routing; " << observed();
    EXPECT_FALSE (portsTheSourceFeeds().isEmpty()) << "the button offers routing with the input closed; " << observed();
    EXPECT_FALSE (meterPlayedAnything()) << "routing resumed without a click; " << observed();

    // One click, as a user who sees the button offer routing gives it.
    const auto clicked = MeterClientReport::now();
    ASSERT_TRUE (app->click (routingButtonX, routingButtonY)) << observed();
    EXPECT_TRUE (meterShowsUserMapping (clicked, 15000))
        << "one click did not route the source in the user's mapping (channels 2, 1); " << observed();

    EXPECT_EQ (quit(), 0) << app->readOutput().getLastCharacters (3000);
    expectConfigKeepsTheUsersChoice();
}

INSTANTIATE_TEST_SUITE_P (Ends, JackServerLossAndReturn, ::testing::ValuesIn (serverEndsOfThisRun()),
                          [] (const ::testing::TestParamInfo<ServerEnd>& param) { return nameOf (param.param); });

TEST_F (JackServerLoss, StartWithoutTheServerKeepsTheUsersMapping)
{
    // A start without any input device between two with it.
    launch ("without-server");
    ASSERT_TRUE (app->waitForWindow (15000)) << app->readOutput();
    EXPECT_EQ (quit(), 0) << app->readOutput();
    expectConfigKeepsTheUsersChoice();

    START_JACK_SERVER_OR_SKIP (server);
    ASSERT_TRUE (startClients());
    launch ("with-server");
    ASSERT_TRUE (app->waitForWindow (15000)) << app->readOutput();
    EXPECT_TRUE (routeByClicking());
    EXPECT_EQ (quit(), 0) << app->readOutput();
    expectConfigKeepsTheUsersChoice();
}
} // namespace

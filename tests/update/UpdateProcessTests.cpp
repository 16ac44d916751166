// The real application quitting while its update check waits for a name lookup that never ends.
// CTest runs the test in namespaces of its own (tests/support/in-private-namespace.sh --network):
// /var/tmp (JUCE's single-instance lock) and /dev/shm (JACK's registry) are its own, and so is the
// loopback on which the test's silent name server takes port 53. The application runs in a further
// mount namespace whose resolv.conf names that server.

#include "SilentNameServer.h"
#include "support/SpawnedProcess.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <memory>
#include <unistd.h>
#include <vector>

namespace
{
/** Where the environment for a namespace is missing, the test skips, except where the run says it
    must not (scripts/test.sh sets KESTRO_REQUIRE_NAMESPACES): there it fails. */
bool namespacesRequired()
{
    const char* value = std::getenv ("KESTRO_REQUIRE_NAMESPACES");
    return value != nullptr && *value != '\0' && juce::String (value) != "0";
}

#define KESTRO_NEEDS(condition, reason)                                     \
    if (! (condition))                                                      \
    {                                                                       \
        if (namespacesRequired())                                           \
            FAIL() << reason << " (required by KESTRO_REQUIRE_NAMESPACES)"; \
        else                                                                \
            GTEST_SKIP() << reason;                                         \
    }

constexpr const char* s_readyLine = "kestro-namespace-ready";

bool isIpAddress (const juce::String& host)
{
    return host.startsWithChar ('[') || host.containsOnly ("0123456789.");
}
} // namespace

TEST (UpdateProcess, QuittingDuringANameLookupThatNeverEndsEndsWithinASecondAndAHalf)
{
    KESTRO_NEEDS (::geteuid() == 0, "needs to be root in namespaces of its own (run it through "
                                     "tests/support/in-private-namespace.sh --network, as CTest does)");
    KESTRO_NEEDS (juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isNotEmpty(), "needs an X display (run under xvfb-run)");

    const auto host = juce::URL (KESTRO_UPDATE_SERVER).getDomain();
    ASSERT_FALSE (isIpAddress (host)) << "the update server this build names (" << KESTRO_UPDATE_SERVER
                                      << ") needs no name lookup; configure one with a host name to run this test";

    SilentNameServer nameServer;
    KESTRO_NEEDS (nameServer.isListening(), "cannot listen on port 53 of a loopback address");

    const auto folder = juce::File::createTempFile ("kestro-quit");
    ASSERT_TRUE (folder.createDirectory());
    const auto resolvConf = folder.getChildFile ("resolv.conf");
    ASSERT_TRUE (resolvConf.replaceWithText ("nameserver " + nameServer.getAddress() + "\n", false, false, "\n"));
    const auto alsaConfig = folder.getChildFile ("empty-alsa.conf");
    ASSERT_TRUE (alsaConfig.create());

    // The child's settings land in its own home; it finds no sound card and no audio server. The
    // automatic check starts five seconds after its window opens.
    juce::StringPairArray environment;
    environment.set ("HOME", folder.getFullPathName());
    environment.set ("ALSA_CONFIG_PATH", alsaConfig.getFullPathName());
    environment.set ("JACK_DEFAULT_SERVER", "kestro-tests-no-server");

    const juce::String script = juce::String ("mount --bind \"$1\" /etc/resolv.conf && echo ") + s_readyLine
                              + " && exec \"$2\"";
    {
        SpawnedProcess app ({ "unshare", "--mount", "--propagation", "private", "/bin/sh", "-c", script, "kestro-quit",
                              resolvConf.getFullPathName(), KESTRO_APP_BINARY },
                            environment, folder.getChildFile ("app.log"));
        ASSERT_TRUE (app.started());

        const auto startDeadline = juce::Time::getMillisecondCounter() + 30000;
        while (nameServer.getQueriedNames().isEmpty() && app.isRunning() && juce::Time::getMillisecondCounter() < startDeadline)
            juce::Thread::sleep (20);

        if (! app.hasWrittenLine (s_readyLine))
        {
            app.waitForExit (5000);
            KESTRO_NEEDS (false, "cannot set up a mount namespace: " << app.readOutput());
        }

        ASSERT_TRUE (app.isRunning()) << app.readOutput();
        ASSERT_FALSE (nameServer.getQueriedNames().isEmpty()) << "the update check never looked up its server\n" << app.readOutput();
        EXPECT_TRUE (nameServer.getQueriedNames().contains (host)) << nameServer.getQueriedNames().joinIntoString (", ");

        // The lookup is in progress (it never ends); quit now.
        juce::Thread::sleep (200);
        const auto started = juce::Time::getMillisecondCounterHiRes();
        ASSERT_TRUE (app.sendSignal (SIGTERM));
        const bool quitInTime = app.waitForExit (1500);

        if (! quitInTime)
            app.waitForExit (60000);

        const auto elapsedMs = juce::Time::getMillisecondCounterHiRes() - started;
        ::testing::Test::RecordProperty ("quitMilliseconds", (int) elapsedMs);
        std::cout << "quit took " << (int) elapsedMs << " ms" << std::endl;

        EXPECT_TRUE (quitInTime) << "quitting took " << (int) elapsedMs << " ms\n" << app.readOutput();
        EXPECT_EQ (app.getExitCode(), 0) << app.readOutput();
    }

    folder.deleteRecursively();
}

// A transfer step that cannot be broken off: the TLS trust store is a FIFO nobody writes, so the
// check's thread blocks opening it once the update server has accepted the connection. The
// shutdown then gives up on the thread after its wait and ends the process itself, with status 0
// and config.xml written before.
TEST (UpdateProcess, QuittingDuringAFetchThatCannotBeStoppedStillEndsWithStatusZeroAndConfigWritten)
{
    KESTRO_NEEDS (::geteuid() == 0, "needs to be root in namespaces of its own (run it through "
                                     "tests/support/in-private-namespace.sh --network, as CTest does)");
    KESTRO_NEEDS (juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isNotEmpty(), "needs an X display (run under xvfb-run)");

    const juce::URL serverUrl (KESTRO_UPDATE_SERVER);
    const auto host = serverUrl.getDomain();
    ASSERT_TRUE (juce::String (KESTRO_UPDATE_SERVER).startsWith ("https://") && ! isIpAddress (host))
        << "the update server this build names (" << KESTRO_UPDATE_SERVER
        << ") is not an https address of a host name; configure one to run this test";
    const int port = serverUrl.getPort() > 0 ? serverUrl.getPort() : 443;

    juce::StreamingSocket listener;
    KESTRO_NEEDS (listener.createListener (port, "127.0.0.1"), "cannot listen on port " << port << " of the loopback");

    const auto folder = juce::File::createTempFile ("kestro-quit");
    ASSERT_TRUE (folder.createDirectory());
    const auto hosts = folder.getChildFile ("hosts");
    ASSERT_TRUE (hosts.replaceWithText ("127.0.0.1 localhost " + host + "\n", false, false, "\n"));
    const auto alsaConfig = folder.getChildFile ("empty-alsa.conf");
    ASSERT_TRUE (alsaConfig.create());
    const auto trustStore = folder.getChildFile ("never-written.fifo");

    juce::StringPairArray environment;
    environment.set ("HOME", folder.getFullPathName());
    environment.set ("ALSA_CONFIG_PATH", alsaConfig.getFullPathName());
    environment.set ("JACK_DEFAULT_SERVER", "kestro-tests-no-server");

    const juce::String script = juce::String ("mount --bind \"$1\" /etc/hosts && mkfifo \"$2\" && ")
                              + "for f in /etc/ssl/certs/ca-certificates.crt /etc/pki/tls/certs/ca-bundle.crt; do "
                                "if [ -e \"$f\" ]; then mount --bind \"$2\" \"$f\" || exit 1; fi; done && echo "
                              + s_readyLine + " && exec \"$3\"";
    std::vector<std::unique_ptr<juce::StreamingSocket>> accepted;
    {
        SpawnedProcess app ({ "unshare", "--mount", "--propagation", "private", "/bin/sh", "-c", script, "kestro-quit",
                              hosts.getFullPathName(), trustStore.getFullPathName(), KESTRO_APP_BINARY },
                            environment, folder.getChildFile ("app.log"));
        ASSERT_TRUE (app.started());

        const auto startDeadline = juce::Time::getMillisecondCounter() + 30000;
        while (accepted.empty() && app.isRunning() && juce::Time::getMillisecondCounter() < startDeadline)
            if (listener.waitUntilReady (true, 20) == 1)
                if (auto* connection = listener.waitForNextConnection())
                    accepted.emplace_back (connection);

        if (! app.hasWrittenLine (s_readyLine))
        {
            app.waitForExit (5000);
            KESTRO_NEEDS (false, "cannot set up a mount namespace: " << app.readOutput());
        }

        ASSERT_TRUE (app.isRunning()) << app.readOutput();
        ASSERT_FALSE (accepted.empty()) << "the update check never connected to its server\n" << app.readOutput();

        // The thread is now in the TLS set-up, on its way to the trust store it will never read.
        juce::Thread::sleep (200);
        ASSERT_TRUE (app.sendSignal (SIGTERM));
        EXPECT_TRUE (app.waitForExit (60000)) << app.readOutput();
        EXPECT_EQ (app.getExitCode(), 0) << app.readOutput();
    }

    const auto root = juce::parseXML (folder.getChildFile (".config/Kestro/Vantrel/config.xml"));
    ASSERT_NE (root, nullptr);
    EXPECT_EQ (root->getTagName(), "KestroVantrelStandalone");
    folder.deleteRecursively();
}

// The real application binary in child processes: what only a whole process shows.

#include "support/ChildApplication.h"
#include "support/WindowManagerAtoms.h"

#include <gtest/gtest.h>

#include <csignal>

namespace
{
/** An X display name that no server on this machine answers to: no socket of that number, in the
    file system or the abstract namespace, and no server's lock file. */
juce::String unusedDisplayName()
{
    const auto sockets = juce::File ("/proc/net/unix").loadFileAsString();

    for (int number = 987;; ++number)
    {
        const auto socketPath = "/tmp/.X11-unix/X" + juce::String (number);

        if (! sockets.contains (socketPath + "\n") && ! juce::File (socketPath).exists()
            && ! juce::File ("/tmp/.X" + juce::String (number) + "-lock").exists())
            return ":" + juce::String (number);
    }
}

class ApplicationProcess : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isEmpty())
            GTEST_SKIP() << "needs an X display (run under xvfb-run)";

        folder = juce::File::createTempFile ("kestro-process");
        ASSERT_TRUE (folder.createDirectory());

        // The child's home is the temporary folder, so its settings land there (JUCE resolves
        // the settings folder from ~), and it finds no sound card and no audio server.
        const auto alsaConfig = folder.getChildFile ("empty-alsa.conf");
        alsaConfig.create();
        environment.set ("HOME", folder.getFullPathName());
        environment.set ("ALSA_CONFIG_PATH", alsaConfig.getFullPathName());
        environment.set ("JACK_DEFAULT_SERVER", "kestro-tests-no-server");
    }

    void TearDown() override { folder.deleteRecursively(); }

    std::unique_ptr<ChildApplication> launch (const juce::String& name)
    {
        return std::make_unique<ChildApplication> (KESTRO_APP_BINARY, environment,
                                                   folder.getChildFile (name + ".log"));
    }

    juce::File configFile() const
    {
        return folder.getChildFile (".config/Kestro/Vantrel/config.xml");
    }

    juce::File folder;
    juce::StringPairArray environment;
    WindowManagerAtoms windowManagerAtoms;
};

TEST_F (ApplicationProcess, SecondInstanceExitsWhileTheFirstKeepsRunning)
{
    auto first = launch ("first");
    ASSERT_TRUE (first->waitForWindow (15000)) << first->readOutput();

    auto second = launch ("second");
    EXPECT_EQ (second->waitForExit (10000), 0) << second->readOutput();
    EXPECT_TRUE (first->isRunning());

    // The second start left no trace: the first still shuts down normally.
    ASSERT_TRUE (first->sendSignal (SIGTERM));
    EXPECT_EQ (first->waitForExit (15000), 0) << first->readOutput();
}

TEST_F (ApplicationProcess, WithoutADisplayExitsWithAMessageAndAFailureStatus)
{
    environment.set ("DISPLAY", unusedDisplayName());
    auto app = launch ("no-display");

    // -1 would be a death by signal (or no end at all).
    EXPECT_EQ (app->waitForExit (15000), 1) << app->readOutput();
    EXPECT_TRUE (app->readOutput().contains ("cannot open the X display \"" + environment["DISPLAY"] + "\""))
        << app->readOutput();
    EXPECT_FALSE (configFile().exists()) << "a start that ended at once wrote settings";
}

// How the user (or the system) can end the application: the window's close button, or a signal.
constexpr int s_closeButton = 0;

class ApplicationQuit : public ApplicationProcess,
                        public ::testing::WithParamInterface<int>
{
};

TEST_P (ApplicationQuit, EndsInOrderedShutdownThatWritesConfig)
{
    auto app = launch ("app");
    ASSERT_TRUE (app->waitForWindow (15000)) << app->readOutput();
    ASSERT_FALSE (configFile().exists());

    if (GetParam() == s_closeButton)
    {
        // Like a user who clicks again when nothing happened: a close request that reaches the
        // window in its first moments, while the application is still starting, can go unheard.
        bool requested = false;
        for (int attempt = 0; attempt < 5 && app->isRunning(); ++attempt)
        {
            if (! app->closeWindows())
            {
                juce::Thread::sleep (200);
                continue;
            }

            requested = true;
            if (app->waitForExit (3000) != -1)
                break;
        }

        ASSERT_TRUE (requested) << app->readOutput();
    }
    else
    {
        ASSERT_TRUE (app->sendSignal (GetParam()));
    }

    EXPECT_EQ (app->waitForExit (15000), 0) << app->readOutput();

    const auto root = juce::parseXML (configFile());
    ASSERT_NE (root, nullptr) << app->readOutput();
    EXPECT_EQ (root->getTagName(), "KestroVantrelStandalone");
    ASSERT_NE (root->getChildByName ("Processor"), nullptr);
    EXPECT_EQ (root->getChildByName ("Processor")->getChildByName ("ChannelMapping")->getAllSubText(),
               "0,1,2,3,4,5");
}

std::string quitName (const ::testing::TestParamInfo<int>& way)
{
    return way.param == s_closeButton ? "CloseButton" : way.param == SIGINT ? "SIGINT" : "SIGTERM";
}

INSTANTIATE_TEST_SUITE_P (Ways, ApplicationQuit, ::testing::Values (s_closeButton, SIGINT, SIGTERM), quitName);
} // namespace

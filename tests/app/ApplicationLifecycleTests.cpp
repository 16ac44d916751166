// Start-up and shutdown of the application object in the test process, with virtual devices and
// a temporary settings folder.

#include "MessagePump.h"
#include "RecordingMidiPortProvider.h"
#include "VirtualDeviceRegistry.h"

#include "app/InstrumentsStandaloneApplication.h"
#include "app/MainWindow.h"
#include "audio/StandaloneProcessor.h"
#include "gui/UsbPluginAudioProcessorEditor.h"
#include "lookandfeel/KestroLookAndFeel.h"
#include "settings/AttributeObserver.h"

#include <gtest/gtest.h>

namespace
{
/** The application with the quit request recorded instead of stopping the test's message loop. */
class TestApplication : public InstrumentsStandaloneApplication
{
public:
    using InstrumentsStandaloneApplication::InstrumentsStandaloneApplication;

    void systemRequestedQuit() override { ++quitRequests; }

    int quitRequests = 0;
};

bool themeIsInstalled()
{
    return dynamic_cast<KestroLookAndFeel*> (&juce::LookAndFeel::getDefaultLookAndFeel()) != nullptr;
}

/** Writes down what the shutdown has done at the moments the editor and the processor go. */
class ShutdownRecorder : public juce::ComponentListener,
                         public AttributeObserver
{
public:
    ShutdownRecorder (const juce::File& config, AudioDeviceHandler& meterHandler)
        : configFile (config), handler (meterHandler) {}

    void componentBeingDeleted (juce::Component&) override
    {
        log.add (juce::String ("editor deleted: config.xml ") + (configFile.existsAsFile() ? "written" : "missing")
                 + ", theme " + (themeIsInstalled() ? "installed" : "released"));
    }

    void onAttributeChanged (AttributeChangedEvent&) override {}

    // The processor's settings are destroyed after its destructor body has run.
    void detachAttribute (juce::WeakReference<Attribute> attribute) override
    {
        log.add (juce::String ("processor deleted: handler thread ") + (handler.isThreadRunning() ? "running" : "stopped")
                 + ", theme " + (themeIsInstalled() ? "installed" : "released"));
        AttributeObserver::detachAttribute (attribute);
    }

    juce::StringArray log;

private:
    juce::File configFile;
    AudioDeviceHandler& handler;
};

class ApplicationLifecycle : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
            GTEST_SKIP() << "needs an X display (run under xvfb-run)";

        folder = juce::File::createTempFile ("kestro-app");
        ASSERT_TRUE (folder.createDirectory());

        devices.addDevice (VirtualDeviceDescription::input ("Studio Interface", 2));
        devices.addDevice (VirtualDeviceDescription::output ("KM7-Solvin Output", 6));

        midiPorts->setPorts ({ "KM7-Solvin MIDI 1" });
        app = std::make_unique<TestApplication> (ApplicationContext { folder, devices.makeFactory(), midiPorts, {} });
    }

    void TearDown() override
    {
        app.reset();
        folder.deleteRecursively();
    }

    juce::File folder;
    VirtualDeviceRegistry devices;
    std::shared_ptr<RecordingMidiPortProvider> midiPorts = std::make_shared<RecordingMidiPortProvider>();
    std::unique_ptr<TestApplication> app;
};

TEST_F (ApplicationLifecycle, StartsHandlerAfterASecondAndShutsDownInOrder)
{
    app->initialise ({});
    auto* window = app->getMainWindow();
    ASSERT_NE (window, nullptr);
    ASSERT_NE (window->processor, nullptr);
    ASSERT_NE (window->editor, nullptr);
    EXPECT_TRUE (themeIsInstalled());

    auto& handler = window->processor->deviceHandler;
    EXPECT_FALSE (handler.isThreadRunning());
    EXPECT_TRUE (pumpMessagesUntil ([&] { return handler.isThreadRunning(); }, 5000));

    ShutdownRecorder recorder (app->configFile, handler);
    window->editor->addComponentListener (&recorder);
    window->processor->solvinConnected.addAttributeObserver (&recorder);

    ASSERT_FALSE (app->configFile.exists());
    app->shutdown();

    EXPECT_EQ (app->getMainWindow(), nullptr);
    EXPECT_EQ (recorder.log, juce::StringArray ({ "editor deleted: config.xml written, theme installed",
                                                  "processor deleted: handler thread stopped, theme released" }));
    EXPECT_FALSE (themeIsInstalled());
    EXPECT_EQ (app->configFile, folder.getChildFile ("Kestro/Vantrel/config.xml"));
    EXPECT_TRUE (app->configFile.existsAsFile());
}

TEST_F (ApplicationLifecycle, FindsTheMeterAndItsMidiPortThroughTheContext)
{
    app->initialise ({});
    auto& handler = app->getMainWindow()->processor->deviceHandler;

    EXPECT_TRUE (pumpMessagesUntil ([&] { return handler.deviceState == DeviceState::DeviceReady; }, 10000));
    EXPECT_TRUE (pumpMessagesUntil ([&] { return handler.hasMidiOutput(); }, 5000));
    EXPECT_EQ (midiPorts->getNumOpens(), 1);
    app->shutdown();
}

TEST_F (ApplicationLifecycle, ClosingTheWindowAsksTheApplicationToQuit)
{
    app->initialise ({});
    app->getMainWindow()->userTriedToCloseWindow();
    app->getMainWindow()->closeButtonPressed();
    EXPECT_EQ (app->quitRequests, 2);
    app->shutdown();
}

TEST_F (ApplicationLifecycle, ShowsTheWindowAtTheOriginWhenNoScreenIsListedAtThatMoment)
{
    // The screen list goes empty after the start-up has found its display: while the processor
    // opens its devices on the message thread, before the editor and the window are set up. (The
    // framework hands its list out read-only; it is put back as it was.)
    auto& displays = const_cast<juce::Displays&> (juce::Desktop::getInstance().getDisplays());
    const auto listed = displays.displays;
    const auto restore = [&] { displays.displays = listed; };
    const juce::ScopeGuard restoreAtEnd { restore };

    auto virtualTypes = devices.makeFactory();
    app = std::make_unique<TestApplication> (ApplicationContext {
        folder,
        [&displays, virtualTypes]
        {
            if (juce::MessageManager::getInstance()->isThisTheMessageThread())
                displays.displays.clear();

            return virtualTypes();
        },
        midiPorts,
        {} });

    app->initialise ({});
    ASSERT_TRUE (displays.displays.isEmpty()) << "the list was emptied in time";
    auto* window = app->getMainWindow();
    ASSERT_NE (window, nullptr);
    EXPECT_TRUE (window->isVisible());
    EXPECT_TRUE (window->isOnDesktop());
    EXPECT_EQ (window->getBounds(), juce::Rectangle<int> (0, 0, window->getWidth(), window->getHeight()));
    EXPECT_EQ (window->editor->getWidth(), 220);

    restore();
    app->shutdown();
}

TEST_F (ApplicationLifecycle, ShowsAFixedSizeWindowWithMinimiseAndCloseOnly)
{
    app->initialise ({});
    auto* window = app->getMainWindow();

    EXPECT_TRUE (window->isVisible());
    EXPECT_TRUE (window->isOnDesktop());
    EXPECT_EQ (window->getName(), "Kestro Vantrel Standalone");
    EXPECT_EQ (window->getContentComponent(), window->editor.get());
    EXPECT_EQ (window->editor->getBounds().getWidth(), 220);
    EXPECT_EQ (window->editor->getBounds().getHeight(), 300);
    EXPECT_TRUE (window->isUsingNativeTitleBar());
    EXPECT_FALSE (window->isResizable());

    const int flags = window->getDesktopWindowStyleFlags();
    EXPECT_NE (flags & juce::ComponentPeer::windowHasMinimiseButton, 0);
    EXPECT_NE (flags & juce::ComponentPeer::windowHasCloseButton, 0);
    EXPECT_EQ (flags & juce::ComponentPeer::windowHasMaximiseButton, 0);
    EXPECT_EQ (flags & juce::ComponentPeer::windowIsResizable, 0);
    EXPECT_EQ (flags & juce::ComponentPeer::windowHasDropShadow, 0);

    auto* display = juce::Desktop::getInstance().getDisplays().getDisplayForRect (window->getScreenBounds());
    ASSERT_NE (display, nullptr);
    EXPECT_LE (std::abs (window->getScreenBounds().getCentreX() - display->userArea.getCentreX()), 1);

    // A picture of the window for a person to look at.
    const auto snapshot = window->createComponentSnapshot (window->getLocalBounds());
    EXPECT_EQ (snapshot.getWidth(), window->getWidth());
    const auto picture = juce::File::getCurrentWorkingDirectory().getChildFile ("main-window.png");
    picture.deleteFile();
    juce::FileOutputStream out (picture);
    EXPECT_TRUE (juce::PNGImageFormat().writeImageToStream (snapshot, out));

    app->shutdown();
}
} // namespace

#include "InstrumentsStandaloneApplication.h"

#include "DisplayConnection.h"
#include "GlobalConfigFile.h"
#include "MainWindow.h"
#include "QuitSignalHandler.h"
#include "StandaloneConfigFile.h"
#include "audio/StandaloneProcessor.h"
#include "gui/UsbPluginAudioProcessorEditor.h"
#include "update/UpdateThread.h"

#include <BinaryData.h>

#include <iostream>

namespace
{
constexpr int updateStopWaitMs = 1000;

// How long a display that refuses connections is tried again (a bare X server resets in a few ms
// when its last client leaves; on a busy machine it can take longer). With no display at all, the
// program says so after this time.
constexpr int displayWaitMs = 2000;
} // namespace

InstrumentsStandaloneApplication::InstrumentsStandaloneApplication()
    : InstrumentsStandaloneApplication (ApplicationContext::forThisUser())
{
}

InstrumentsStandaloneApplication::InstrumentsStandaloneApplication (ApplicationContext contextToUse)
    : configFile (contextToUse.configFile()),
      globalConfigFile (contextToUse.globalConfigFile()),
      context (std::move (contextToUse))
{
}

InstrumentsStandaloneApplication::~InstrumentsStandaloneApplication() = default;

const juce::String InstrumentsStandaloneApplication::getApplicationName() { return "Kestro Vantrel Standalone"; }
const juce::String InstrumentsStandaloneApplication::getApplicationVersion() { return "1.6.0"; }
bool InstrumentsStandaloneApplication::moreThanOneInstanceAllowed() { return false; }
void InstrumentsStandaloneApplication::anotherInstanceStarted (const juce::String&) {}

void InstrumentsStandaloneApplication::systemRequestedQuit()
{
    quit();
}

void InstrumentsStandaloneApplication::initialise (const juce::String&)
{
    // First, so that a quit signal during the wait for the display still ends in order.
    quitSignalHandler = std::make_unique<QuitSignalHandler>();

    // Before the framework first reads the display, which it does without a check.
    {
        const DisplayConnection display (displayWaitMs);

        // The framework opens its own connection here, while the program's keeps the server from
        // resetting under it; on this platform its screen list is empty only when that failed.
        if (! display.isOpen() || juce::Desktop::getInstance().isHeadless())
        {
            _endWithoutDisplay (display.getName());
            return;
        }
    }

    const auto savedRoot = StandaloneConfigFile::read (configFile);

    // Before the editor builds the settings window, whose System tab shows the switch.
    UsbPluginAudioProcessor::s_enableAutoUpdate = GlobalConfigFile::read (globalConfigFile,
                                                                          UsbPluginAudioProcessor::s_enableAutoUpdate);

    auto window = std::make_unique<MainWindow>();
    window->processor = std::make_unique<StandaloneProcessor> (context.audioDeviceTypes, context.midiPorts);
    window->editor.reset (dynamic_cast<UsbPluginAudioProcessorEditor*> (window->processor->createEditorIfNeeded()));

    if (savedRoot != nullptr)
        StandaloneConfigFile::restore (*savedRoot, *window->processor);

    mainWindow = std::move (window);
    _showWindow();
}

void InstrumentsStandaloneApplication::_showWindow()
{
    auto& window = *mainWindow;
    // The native title bar comes first: switching to it afterwards would keep the window's outer
    // size and stretch the editor over the space of JUCE's own title bar.
    window.setUsingNativeTitleBar (true);
    window.setContentNonOwned (window.editor.get(), true);
    window.setResizable (false, false);
    window.setTitleBarButtonsRequired (juce::DocumentWindow::minimiseButton | juce::DocumentWindow::closeButton, false);
    window.setDropShadowEnabled (false);
    window.setOpaque (true);

    if (auto* peer = window.getPeer())
        peer->setIcon (juce::ImageCache::getFromMemory (BinaryData::application_icon_png,
                                                        BinaryData::application_icon_pngSize));

    // With no screen listed at this moment the window stays at the origin.
    if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr)
        window.centreWithSize (window.getWidth(), window.getHeight());
    else
        window.setTopLeftPosition (0, 0);

    window.addToDesktop();
    window.setVisible (true);
}

void InstrumentsStandaloneApplication::_endWithoutDisplay (const juce::String& displayName)
{
    std::cerr << getApplicationName() << ": cannot open the X display \"" << displayName
              << "\" (DISPLAY); the program needs a graphical session." << std::endl;
    setApplicationReturnValue (1);
    quit();
}

void InstrumentsStandaloneApplication::shutdown()
{
    // The framework calls this without initialise when another instance is already running.
    const bool started = mainWindow != nullptr;

    if (started && mainWindow->processor != nullptr)
        StandaloneConfigFile::write (configFile, *mainWindow->processor);

    mainWindow.reset();

    // After the editor, which the System tab's switch belongs to.
    if (started)
        GlobalConfigFile::write (globalConfigFile, UsbPluginAudioProcessor::s_enableAutoUpdate);

    // After the window: the System tab's panel, its listener, is gone by now.
    // The check's transfer stops within a moment of being told to; only a step that cannot be
    // broken off keeps it longer, and then the process ends here rather than with the thread
    // still running while the libraries are torn down.
    if (auto* updates = UpdateThread::getInstanceWithoutCreating())
    {
        updates->signalThreadShouldExit();

        if (! updates->waitForThreadToExit (updateStopWaitMs) && context.endProcess)
        {
            quitSignalHandler.reset();
            context.endProcess();
        }
    }

    UpdateThread::deleteInstance();
    quitSignalHandler.reset();
}

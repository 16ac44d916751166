#include "InstrumentsStandaloneApplication.h"

#include "GlobalConfigFile.h"
#include "MainWindow.h"
#include "QuitSignalHandler.h"
#include "StandaloneConfigFile.h"
#include "audio/StandaloneProcessor.h"
#include "gui/UsbPluginAudioProcessorEditor.h"
#include "update/UpdateThread.h"

#include <BinaryData.h>

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
    quitSignalHandler = std::make_unique<QuitSignalHandler>();

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

    window.centreWithSize (window.getWidth(), window.getHeight());
    window.addToDesktop();
    window.setVisible (true);
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
    UpdateThread::deleteInstance();
    quitSignalHandler.reset();
}

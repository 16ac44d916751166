#pragma once

#include "ApplicationContext.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class MainWindow;
class QuitSignalHandler;

/** The single-instance application: starts the processor, its editor and the main window, and
    shuts them down in order. Message thread only. */
class InstrumentsStandaloneApplication : public juce::JUCEApplication
{
public:
    /** The application as the user runs it: their own settings folder, the platform's devices. */
    InstrumentsStandaloneApplication();
    explicit InstrumentsStandaloneApplication (ApplicationContext context);
    ~InstrumentsStandaloneApplication() override;

    const juce::String getApplicationName() override;
    const juce::String getApplicationVersion() override;
    bool moreThanOneInstanceAllowed() override;
    void initialise (const juce::String& commandLine) override;
    void shutdown() override;
    void anotherInstanceStarted (const juce::String& commandLine) override;
    void systemRequestedQuit() override;

    MainWindow* getMainWindow() const noexcept { return mainWindow.get(); }

    /** Full paths of config.xml and globalconfig.xml, from the context; fixed at construction. */
    const juce::File configFile;
    const juce::File globalConfigFile;

private:
    void _showWindow();

    /** Says on standard error that there is no display and ends the start with exit status 1. */
    void _endWithoutDisplay (const juce::String& displayName);

    const ApplicationContext context;
    std::unique_ptr<QuitSignalHandler> quitSignalHandler;
    std::unique_ptr<MainWindow> mainWindow;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InstrumentsStandaloneApplication)
};

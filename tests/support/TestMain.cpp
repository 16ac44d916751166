#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "audio/UsbPluginAudioProcessor.h"

// The test process behaves like the application: the message thread is the main thread, and
// isStandaloneApp() is true so that JUCE installs its X error handlers (without them the first
// harmless BadAtom from a window-manager-less X server would end the process).
int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);
    juce::JUCEApplicationBase::createInstance = []() -> juce::JUCEApplicationBase* { return nullptr; };
    juce::ScopedJuceInitialiser_GUI juceInitialiser;

    // No test reaches the maker's server: an editor kept open for five seconds would start the
    // automatic update check, so it stays off unless a test switches it on for a local server.
    UsbPluginAudioProcessor::s_enableAutoUpdate = false;
    return RUN_ALL_TESTS();
}

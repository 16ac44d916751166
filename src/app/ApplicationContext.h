#pragma once

#include "audio/AudioDeviceTypeFactory.h"
#include "audio/MidiPortProvider.h"

#include <juce_core/juce_core.h>

/** What the application takes from its surroundings: where its settings files live and where its
    audio devices and MIDI ports come from. The application runs with `forThisUser()`; tests start
    it in a temporary folder with virtual devices and a recording MIDI port. */
struct ApplicationContext
{
    /** The folder under which "Kestro/Vantrel" holds the settings files. */
    juce::File applicationDataFolder;

    /** Device types for both device managers; empty means the platform's own. */
    AudioDeviceTypeFactory audioDeviceTypes;

    /** Where the meter's MIDI port is looked for; null means the platform's. */
    std::shared_ptr<MidiPortProvider> midiPorts;

    /** "Kestro/Vantrel" under the application-data folder: config.xml and globalconfig.xml. */
    juce::File settingsFolder() const { return applicationDataFolder.getChildFile ("Kestro").getChildFile ("Vantrel"); }

    /** The input device's set-up and the channel mapping (StandaloneConfigFile). */
    juce::File configFile() const { return settingsFolder().getChildFile ("config.xml"); }

    /** The automatic-update switch (GlobalConfigFile). */
    juce::File globalConfigFile() const { return settingsFolder().getChildFile ("globalconfig.xml"); }

    static ApplicationContext forThisUser()
    {
        return { juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory), {}, {} };
    }
};

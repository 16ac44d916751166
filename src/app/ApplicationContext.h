#pragma once

#include "audio/AudioDeviceTypeFactory.h"
#include "audio/MidiPortProvider.h"

#include <juce_core/juce_core.h>

/** What the application takes from its surroundings: where its settings files live and where its
    audio devices and MIDI ports come from. The application runs with `forThisUser()`; tests start
    it in a temporary folder with virtual devices and a recording MIDI port. */
struct ApplicationContext
{
    /** The folder under which "Kestro/Vantrel" holds config.xml. */
    juce::File applicationDataFolder;

    /** Device types for both device managers; empty means the platform's own. */
    AudioDeviceTypeFactory audioDeviceTypes;

    /** Where the meter's MIDI port is looked for; null means the platform's. */
    std::shared_ptr<MidiPortProvider> midiPorts;

    static ApplicationContext forThisUser()
    {
        return { juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory), {}, {} };
    }
};

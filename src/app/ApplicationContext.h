#pragma once

#include "audio/AudioDeviceTypeFactory.h"

#include <juce_core/juce_core.h>

/** What the application takes from its surroundings: where its settings files live and where its
    audio devices come from. The application runs with `forThisUser()`; tests start it in a
    temporary folder with virtual devices. */
struct ApplicationContext
{
    /** The folder under which "Kestro/Vantrel" holds config.xml. */
    juce::File applicationDataFolder;

    /** Device types for both device managers; empty means the platform's own. */
    AudioDeviceTypeFactory audioDeviceTypes;

    static ApplicationContext forThisUser()
    {
        return { juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory), {} };
    }
};

#pragma once

#include "settings/BoolAttribute.h"
#include "settings/Data.h"
#include "settings/IntListAttribute.h"

/** An owner built like the audio processor: the channel mapping and the meter-connection wish,
    registered in that order, each with its revert point at its default. */
class ExampleSettingsOwner : public Data
{
public:
    ExampleSettingsOwner()
    {
        channelMapping.init (this, L"ChannelMapping", L"Input Routing");
        channelMapping.saveState();
        channelMapping.assign ({ 0, 1, 2, 3, 4, 5 });
        channelMapping.saveState();

        const juce::ScopedWriteLock sl (solvinConnected.lock);
        solvinConnected.init (this, L"SolvinConnected", L"Solvin Connected");
        solvinConnected.value = false;
        solvinConnected.saveState();
    }

    IntListAttribute channelMapping;
    BoolAttribute solvinConnected;
};

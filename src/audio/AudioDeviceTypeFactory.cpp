#include "AudioDeviceTypeFactory.h"

void addAudioDeviceTypes (juce::AudioDeviceManager& manager, const AudioDeviceTypeFactory& factory)
{
    if (! factory)
        return;

    for (auto& type : factory())
        manager.addAudioDeviceType (std::move (type));
}

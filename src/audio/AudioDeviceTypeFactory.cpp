#include "AudioDeviceTypeFactory.h"

#include "JackServerLossGuard.h"

std::vector<std::unique_ptr<juce::AudioIODeviceType>> makeAudioDeviceTypes (juce::AudioDeviceManager& manager,
                                                                             const AudioDeviceTypeFactory& factory)
{
    std::vector<std::unique_ptr<juce::AudioIODeviceType>> types;

    if (factory)
    {
        types = factory();
    }
    else
    {
        juce::OwnedArray<juce::AudioIODeviceType> platformTypes;
        manager.createAudioDeviceTypes (platformTypes);

        for (auto* type : platformTypes)
            types.emplace_back (type);

        platformTypes.clear (false);
    }

    for (auto& type : types)
        type = JackServerLossGuard::wrapIfJack (std::move (type));

    return types;
}

void addAudioDeviceTypes (juce::AudioDeviceManager& manager, const AudioDeviceTypeFactory& factory)
{
    for (auto& type : makeAudioDeviceTypes (manager, factory))
        if (type != nullptr)
            manager.addAudioDeviceType (std::move (type));
}

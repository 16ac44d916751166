#include "AudioDeviceTypeFactory.h"

#include "alsa/AlsaAudioDeviceType.h"
#include "jack/JackAudioDeviceType.h"

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

        // JUCE's ALSA type is given only the devices whose stream moves.
        for (auto* type : platformTypes)
        {
            if (type->getTypeName() == "ALSA")
                types.push_back (std::make_unique<AlsaAudioDeviceType> (std::unique_ptr<juce::AudioIODeviceType> (type)));
            else
                types.emplace_back (type);
        }

        platformTypes.clear (false);
    }

    // JUCE's JACK type is replaced by the program's own.
    for (auto& type : types)
        if (type != nullptr && type->getTypeName() == "JACK" && dynamic_cast<JackAudioDeviceType*> (type.get()) == nullptr)
            type = std::make_unique<JackAudioDeviceType>();

    return types;
}

void addAudioDeviceTypes (juce::AudioDeviceManager& manager, const AudioDeviceTypeFactory& factory,
                          juce::AudioIODeviceType::Listener* listener)
{
    for (auto& type : makeAudioDeviceTypes (manager, factory))
    {
        if (type == nullptr)
            continue;

        auto* added = type.get();
        manager.addAudioDeviceType (std::move (type));

        // A type calls its last listener first: the manager's own comes after this one.
        if (listener != nullptr)
            added->addListener (listener);
    }
}

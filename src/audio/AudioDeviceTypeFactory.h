#pragma once

#include <juce_audio_devices/juce_audio_devices.h>

#include <functional>
#include <memory>
#include <vector>

/** Makes the audio device types a device manager may use. The application leaves it empty, which
    keeps JUCE's platform types; tests hand in virtual devices. Each call makes a new set, since a
    device manager owns the types it is given. */
using AudioDeviceTypeFactory = std::function<std::vector<std::unique_ptr<juce::AudioIODeviceType>>()>;

/** Gives `manager` the factory's types. Must run before the manager first scans for devices, since
    JUCE creates its platform types only for a manager that has none. */
void addAudioDeviceTypes (juce::AudioDeviceManager& manager, const AudioDeviceTypeFactory& factory);

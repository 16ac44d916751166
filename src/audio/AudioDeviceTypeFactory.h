#pragma once

#include <juce_audio_devices/juce_audio_devices.h>

#include <functional>
#include <memory>
#include <vector>

/** Makes the audio device types a device manager may use. The application leaves it empty, which
    means JUCE's platform types; tests hand in virtual devices. JUCE's JACK type, from either, is
    always replaced by the program's own (JackAudioDeviceType); the platform's "ALSA" type is
    wrapped in AlsaAudioDeviceType. Each call makes a new set, since a
    device manager owns the types it is given. */
using AudioDeviceTypeFactory = std::function<std::vector<std::unique_ptr<juce::AudioIODeviceType>>()>;

/** A fresh set of the factory's types, or of the platform's ones as `manager` makes them. */
std::vector<std::unique_ptr<juce::AudioIODeviceType>> makeAudioDeviceTypes (juce::AudioDeviceManager& manager,
                                                                             const AudioDeviceTypeFactory& factory);

/** Gives `manager` the types of makeAudioDeviceTypes. Must run before the manager first scans for
    devices, since JUCE would otherwise create its own platform types, its JACK type among them.
    `listener`, if any, hears of each type's list changes before the manager does. */
void addAudioDeviceTypes (juce::AudioDeviceManager& manager, const AudioDeviceTypeFactory& factory,
                          juce::AudioIODeviceType::Listener* listener = nullptr);

#pragma once

#include <juce_audio_devices/juce_audio_devices.h>

/** An audio device type with no devices, so that a device manager given it creates no platform
    type and every set-up it is asked to restore finds nothing to open. */
class NoDeviceType : public juce::AudioIODeviceType
{
public:
    NoDeviceType() : juce::AudioIODeviceType ("No devices") {}

    void scanForDevices() override {}
    juce::StringArray getDeviceNames (bool) const override { return {}; }
    int getDefaultDeviceIndex (bool) const override { return -1; }
    int getIndexOfDevice (juce::AudioIODevice*, bool) const override { return -1; }
    bool hasSeparateInputsAndOutputs() const override { return true; }
    juce::AudioIODevice* createDevice (const juce::String&, const juce::String&) override { return nullptr; }
};

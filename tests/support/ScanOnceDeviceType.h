#pragma once

#include "VirtualAudioDeviceType.h"
#include "audio/AudioDeviceTypeFactory.h"

class VirtualDeviceRegistry;

/** A device type over a VirtualDeviceRegistry that behaves as JUCE's ALSA type does: it lists
    the devices it saw at its first scan for as long as it lives, and never tells a device manager
    that the list changed. Only a new object sees devices plugged in since. */
class ScanOnceDeviceType : public juce::AudioIODeviceType
{
public:
    explicit ScanOnceDeviceType (VirtualDeviceRegistry& registry);

    void scanForDevices() override;
    juce::StringArray getDeviceNames (bool wantInputNames = false) const override;
    int getDefaultDeviceIndex (bool forInput) const override;
    int getIndexOfDevice (juce::AudioIODevice* device, bool asInput) const override;
    bool hasSeparateInputsAndOutputs() const override;
    juce::AudioIODevice* createDevice (const juce::String& outputDeviceName,
                                       const juce::String& inputDeviceName) override;

    /** Each call makes one new ScanOnceDeviceType on the registry. */
    static AudioDeviceTypeFactory makeFactory (VirtualDeviceRegistry& registry);

private:
    // Makes the devices; its own rescans and change notices reach no one.
    VirtualAudioDeviceType devices;
    juce::StringArray inputNames, outputNames;   // the first scan
    bool hasScanned = false;
};

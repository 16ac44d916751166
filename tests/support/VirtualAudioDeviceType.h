#pragma once

#include <juce_audio_devices/juce_audio_devices.h>

class VirtualDeviceRegistry;

/** The device type "Virtual": lists and makes the devices of one VirtualDeviceRegistry. Like a
    platform type it answers from its last scan; when the registry's devices change it rescans and
    calls its change listeners on the message thread, which is how an AudioDeviceManager learns
    that its device was unplugged.

    Give it to a device manager before the manager first scans: JUCE adds its own ALSA and JACK
    types only to a manager that has no types yet. */
class VirtualAudioDeviceType : public juce::AudioIODeviceType,
                               private juce::AsyncUpdater
{
public:
    explicit VirtualAudioDeviceType (VirtualDeviceRegistry& registry);
    ~VirtualAudioDeviceType() override;

    void scanForDevices() override;
    juce::StringArray getDeviceNames (bool wantInputNames = false) const override;
    int getDefaultDeviceIndex (bool forInput) const override;
    int getIndexOfDevice (juce::AudioIODevice* device, bool asInput) const override;
    bool hasSeparateInputsAndOutputs() const override;
    juce::AudioIODevice* createDevice (const juce::String& outputDeviceName,
                                       const juce::String& inputDeviceName) override;

private:
    friend class VirtualDeviceRegistry;

    /** Called by the registry, on any thread, with the registry's lock held. */
    void _deviceListChanged();
    void handleAsyncUpdate() override;

    VirtualDeviceRegistry& registry;

    // The last scan, made and read on the message thread.
    juce::StringArray inputNames, outputNames;
    bool hasScanned = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VirtualAudioDeviceType)
};

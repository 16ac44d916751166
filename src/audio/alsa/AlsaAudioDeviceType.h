#pragma once

#include "AlsaStreamProbe.h"

#include <juce_audio_devices/juce_audio_devices.h>

#include <functional>
#include <memory>

/** JUCE's "ALSA" device type, less the devices whose stream would never move.

    Lists, indexes and devices are JUCE's own type's. Before a device is made, each direction it is
    asked for is probed (AlsaStreamProbe): a PCM whose stream does not move (pipewire-alsa's
    "default" while PipeWire has no sink or source) is refused, since
    JUCE's device thread would block in it for ever and JUCE would end that thread by force, which
    aborts the process. A refused device is not made at all, so the device manager reports that it
    cannot open it. Used on the message thread only, as device types are. */
class AlsaAudioDeviceType : public juce::AudioIODeviceType,
                            private juce::AudioIODeviceType::Listener
{
public:
    /** Tells whether one of the listed names' stream moves in a direction. */
    using StreamProbe = std::function<AlsaStreamProbe::Result (const juce::String& deviceName, bool forInput)>;

    /** The time a stream is given to move, in milliseconds. A working server moves one within
        tens of milliseconds. */
    static constexpr int probeTimeoutMs = 500;

    /** Wraps `alsaType`; the probe defaults to AlsaStreamProbe on the PCM behind the name. */
    explicit AlsaAudioDeviceType (std::unique_ptr<juce::AudioIODeviceType> alsaType, StreamProbe probe = {});
    ~AlsaAudioDeviceType() override;

    void scanForDevices() override;
    juce::StringArray getDeviceNames (bool wantInputNames = false) const override;
    int getDefaultDeviceIndex (bool forInput) const override;
    int getIndexOfDevice (juce::AudioIODevice* device, bool asInput) const override;
    bool hasSeparateInputsAndOutputs() const override;
    juce::AudioIODevice* createDevice (const juce::String& outputDeviceName,
                                       const juce::String& inputDeviceName) override;

private:
    void audioDeviceListChanged() override;

    std::unique_ptr<juce::AudioIODeviceType> alsaType;
    StreamProbe probe;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AlsaAudioDeviceType)
};

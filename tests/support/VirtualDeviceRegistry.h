#pragma once

#include "VirtualDeviceDescription.h"
#include "audio/AudioDeviceTypeFactory.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <map>
#include <optional>
#include <vector>

class VirtualAudioDevice;
class VirtualAudioDeviceType;

/** The virtual devices that exist for a test: what the device types made from it list, and the
    test's handle on the devices that device managers open. Devices can be plugged in and
    unplugged at any time; every live VirtualAudioDeviceType of the registry then rescans and
    calls its change listeners on the message thread, as a platform type does after a hot-plug.

    The registry must outlive every device manager given its types. All operations may be called
    from any thread, but not from the audio callback of a block that one of its devices runs. */
class VirtualDeviceRegistry
{
public:
    VirtualDeviceRegistry() = default;
    ~VirtualDeviceRegistry();

    /** Plugs a device in. Returns false, changing nothing, if a device of that name exists. */
    bool addDevice (const VirtualDeviceDescription& description);

    /** Unplugs a device. A VirtualAudioDevice made from it stops delivering blocks at once.
        Returns false if there is no such device. */
    bool removeDevice (const juce::String& deviceName);

    /** The names of the plugged-in input or output devices, in the order they were added. */
    juce::StringArray getDeviceNames (bool wantInputNames) const;

    /** Makes the next numOpens opens of a device made from the named device fail with
        errorText, as a busy or broken driver would. */
    void failNextOpens (const juce::String& deviceName, const juce::String& errorText, int numOpens = 1);

    /** The open device made from the named input or output device, or nullptr; if several are
        open (virtual devices are not exclusive), the one opened last. The pointer is
        valid only until its device manager closes the device, so use it on the thread that
        owns that manager; other threads drive devices through processBlock below. */
    VirtualAudioDevice* findOpenDevice (const juce::String& deviceName) const;

    /** Runs one block through the open device made from the named device, as
        VirtualAudioDevice::processBlock does, and copies that block's outputs to outputCopy if
        given. Safe on any thread while other threads open, close and delete devices.
        @returns false, having done nothing, when no such device is open and playing. */
    bool processBlock (const juce::String& deviceName,
                       const juce::AudioBuffer<float>& input,
                       int numSamples,
                       juce::AudioBuffer<float>* outputCopy = nullptr);

    /** How often a device made from the named device was opened successfully, and closed. */
    int getNumOpens (const juce::String& deviceName) const;
    int getNumCloses (const juce::String& deviceName) const;

    /** The application's seam: each call makes one new VirtualAudioDeviceType on this registry. */
    AudioDeviceTypeFactory makeFactory();

private:
    friend class VirtualAudioDevice;
    friend class VirtualAudioDeviceType;

    struct PendingFailure
    {
        juce::String errorText;
        int remaining = 0;
    };

    std::optional<VirtualDeviceDescription> _findDescription (const juce::String& deviceName, bool asInput) const;
    VirtualAudioDevice* _findOpenDeviceLocked (const juce::String& deviceName) const;
    void _notifyTypesLocked();

    void _registerType (VirtualAudioDeviceType* type);
    void _unregisterType (VirtualAudioDeviceType* type);
    void _registerDevice (VirtualAudioDevice* device);
    void _unregisterDevice (VirtualAudioDevice* device);

    /** Takes one pending failure for the device, if any, and returns its error text. */
    juce::String _takeOpenFailure (const VirtualAudioDevice& device);
    void _countOpen (VirtualAudioDevice& device);
    void _countClose (const VirtualAudioDevice& device);

    // Guards everything below. Held around the look-up in processBlock until the device's own
    // callbackLock is taken, so that a device cannot be deleted between the two.
    mutable juce::CriticalSection lock;
    std::vector<VirtualDeviceDescription> descriptions;
    std::vector<VirtualAudioDeviceType*> types;
    std::vector<VirtualAudioDevice*> devices;
    std::map<juce::String, PendingFailure> pendingFailures;
    std::map<juce::String, int> openCounts, closeCounts;
    juce::int64 numOpensSoFar = 0;

    JUCE_DECLARE_NON_COPYABLE (VirtualDeviceRegistry)
};

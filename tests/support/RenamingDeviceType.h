#pragma once

#include "VirtualAudioDeviceType.h"
#include "audio/AudioDeviceTypeFactory.h"

#include <functional>

class VirtualDeviceRegistry;

/** A device type over a VirtualDeviceRegistry that lists each device under the names a platform
    type would give it: JUCE's ALSA types, for one, name a USB sound card's devices
    "<card name>, <pcm name>", several per card. The type has the name it is given, and the
    devices it makes carry the listed name and that type name, while they play through the
    registry's device, which tests drive by its registry name as usual.

    Like VirtualAudioDeviceType it rescans on every scanForDevices and tells its listeners when
    the registry's devices change. */
class RenamingDeviceType : public juce::AudioIODeviceType,
                           private juce::AudioIODeviceType::Listener
{
public:
    /** The names a registry device is listed under, in order; none hides it. */
    using Renamer = std::function<juce::StringArray (const juce::String& registryName)>;

    RenamingDeviceType (VirtualDeviceRegistry& registry, const juce::String& nameOfType, Renamer renamer);
    ~RenamingDeviceType() override;

    void scanForDevices() override;
    juce::StringArray getDeviceNames (bool wantInputNames = false) const override;
    int getDefaultDeviceIndex (bool forInput) const override;
    int getIndexOfDevice (juce::AudioIODevice* device, bool asInput) const override;
    bool hasSeparateInputsAndOutputs() const override;
    juce::AudioIODevice* createDevice (const juce::String& outputDeviceName,
                                       const juce::String& inputDeviceName) override;

    /** The output names JUCE's "ALSA" type gives a USB card's first PCM device, in the order
        `aplay -L` lists them (plughw: and sysdefault: devices JUCE leaves out): the direct
        hardware device, front, surround, IEC958, dmix and the USB stream. */
    static juce::StringArray alsaNamesOf (const juce::String& cardName);

    /** The names JUCE's "ALSA HW" type gives a card with two PCM devices. */
    static juce::StringArray alsaHardwareNamesOf (const juce::String& cardName);

    /** Each call makes one new RenamingDeviceType on the registry. */
    static AudioDeviceTypeFactory makeFactory (VirtualDeviceRegistry& registry, const juce::String& typeName, Renamer renamer);

private:
    struct Listing
    {
        juce::StringArray names, registryNames;   // parallel
    };

    void audioDeviceListChanged() override;
    Listing _list (const juce::StringArray& registryNames) const;

    VirtualAudioDeviceType devices;
    const Renamer renamer;
    Listing inputs, outputs;   // the last scan, message thread
    bool hasScanned = false;
};

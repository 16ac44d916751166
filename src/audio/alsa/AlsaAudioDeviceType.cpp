#include "AlsaAudioDeviceType.h"

AlsaAudioDeviceType::AlsaAudioDeviceType (std::unique_ptr<juce::AudioIODeviceType> type, StreamProbe streamProbe)
    : juce::AudioIODeviceType (type->getTypeName()),
      alsaType (std::move (type)),
      probe (std::move (streamProbe))
{
    if (! probe)
        probe = [] (const juce::String& deviceName, bool forInput)
        {
            const auto pcmId = AlsaStreamProbe::findPcmId (deviceName, forInput);
            return pcmId.isEmpty() ? AlsaStreamProbe::Result::notChecked
                                   : AlsaStreamProbe::probe (pcmId, forInput, probeTimeoutMs);
        };

    alsaType->addListener (this);
}

AlsaAudioDeviceType::~AlsaAudioDeviceType()
{
    alsaType->removeListener (this);
}

void AlsaAudioDeviceType::scanForDevices()
{
    alsaType->scanForDevices();
}

juce::StringArray AlsaAudioDeviceType::getDeviceNames (bool wantInputNames) const
{
    return alsaType->getDeviceNames (wantInputNames);
}

int AlsaAudioDeviceType::getDefaultDeviceIndex (bool forInput) const
{
    return alsaType->getDefaultDeviceIndex (forInput);
}

int AlsaAudioDeviceType::getIndexOfDevice (juce::AudioIODevice* device, bool asInput) const
{
    return alsaType->getIndexOfDevice (device, asInput);
}

bool AlsaAudioDeviceType::hasSeparateInputsAndOutputs() const
{
    return alsaType->hasSeparateInputsAndOutputs();
}

juce::AudioIODevice* AlsaAudioDeviceType::createDevice (const juce::String& outputDeviceName,
                                                        const juce::String& inputDeviceName)
{
    // Only listed names reach the probe; JUCE's type answers the others itself.
    const auto stalls = [this] (const juce::String& name, bool forInput)
    {
        return name.isNotEmpty() && alsaType->getDeviceNames (forInput).contains (name)
            && probe (name, forInput) == AlsaStreamProbe::Result::stalled;
    };

    if (stalls (inputDeviceName, true) || stalls (outputDeviceName, false))
        return nullptr;

    return alsaType->createDevice (outputDeviceName, inputDeviceName);
}

void AlsaAudioDeviceType::audioDeviceListChanged()
{
    callDeviceChangeListeners();
}

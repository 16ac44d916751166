#include "ScanOnceDeviceType.h"

#include "VirtualAudioDevice.h"

ScanOnceDeviceType::ScanOnceDeviceType (VirtualDeviceRegistry& registry)
    : juce::AudioIODeviceType ("Virtual"),
      devices (registry)
{
}

void ScanOnceDeviceType::scanForDevices()
{
    if (hasScanned)
        return;

    hasScanned = true;
    devices.scanForDevices();
    inputNames = devices.getDeviceNames (true);
    outputNames = devices.getDeviceNames (false);
}

juce::StringArray ScanOnceDeviceType::getDeviceNames (bool wantInputNames) const
{
    jassert (hasScanned);
    return wantInputNames ? inputNames : outputNames;
}

int ScanOnceDeviceType::getDefaultDeviceIndex (bool forInput) const
{
    jassert (hasScanned);
    return (forInput ? inputNames : outputNames).isEmpty() ? -1 : 0;
}

int ScanOnceDeviceType::getIndexOfDevice (juce::AudioIODevice* device, bool asInput) const
{
    if (auto* virtualDevice = dynamic_cast<VirtualAudioDevice*> (device))
        return asInput ? inputNames.indexOf (virtualDevice->getInputSideName())
                       : outputNames.indexOf (virtualDevice->getOutputSideName());

    return -1;
}

bool ScanOnceDeviceType::hasSeparateInputsAndOutputs() const
{
    return true;
}

juce::AudioIODevice* ScanOnceDeviceType::createDevice (const juce::String& outputDeviceName,
                                                       const juce::String& inputDeviceName)
{
    // As ALSA would, a device is made only from a name of the first scan.
    if ((outputDeviceName.isNotEmpty() && ! getDeviceNames (false).contains (outputDeviceName))
        || (inputDeviceName.isNotEmpty() && ! getDeviceNames (true).contains (inputDeviceName)))
        return nullptr;

    return devices.createDevice (outputDeviceName, inputDeviceName);
}

AudioDeviceTypeFactory ScanOnceDeviceType::makeFactory (VirtualDeviceRegistry& registry)
{
    return [&registry]
    {
        std::vector<std::unique_ptr<juce::AudioIODeviceType>> types;
        types.push_back (std::make_unique<ScanOnceDeviceType> (registry));
        return types;
    };
}

#include "VirtualAudioDeviceType.h"

#include "VirtualAudioDevice.h"
#include "VirtualDeviceRegistry.h"

VirtualAudioDeviceType::VirtualAudioDeviceType (VirtualDeviceRegistry& registryToUse)
    : juce::AudioIODeviceType ("Virtual"),
      registry (registryToUse)
{
    registry._registerType (this);
}

VirtualAudioDeviceType::~VirtualAudioDeviceType()
{
    // Unregistering first means no trigger can arrive once the pending update is cancelled.
    registry._unregisterType (this);
    cancelPendingUpdate();
}

void VirtualAudioDeviceType::scanForDevices()
{
    hasScanned = true;
    inputNames = registry.getDeviceNames (true);
    outputNames = registry.getDeviceNames (false);
}

juce::StringArray VirtualAudioDeviceType::getDeviceNames (bool wantInputNames) const
{
    jassert (hasScanned); // as with every JUCE type, scanForDevices() comes first
    return wantInputNames ? inputNames : outputNames;
}

int VirtualAudioDeviceType::getDefaultDeviceIndex (bool forInput) const
{
    jassert (hasScanned);
    return (forInput ? inputNames : outputNames).isEmpty() ? -1 : 0;
}

int VirtualAudioDeviceType::getIndexOfDevice (juce::AudioIODevice* device, bool asInput) const
{
    jassert (hasScanned);

    if (auto* virtualDevice = dynamic_cast<VirtualAudioDevice*> (device))
        return asInput ? inputNames.indexOf (virtualDevice->getInputSideName())
                       : outputNames.indexOf (virtualDevice->getOutputSideName());

    return -1;
}

bool VirtualAudioDeviceType::hasSeparateInputsAndOutputs() const
{
    return true;
}

juce::AudioIODevice* VirtualAudioDeviceType::createDevice (const juce::String& outputDeviceName,
                                                           const juce::String& inputDeviceName)
{
    if (outputDeviceName.isEmpty() && inputDeviceName.isEmpty())
        return nullptr;

    // The registry is asked, not the last scan: a device unplugged since then cannot be made.
    std::optional<VirtualDeviceDescription> outputSide, inputSide;

    if (outputDeviceName.isNotEmpty())
    {
        outputSide = registry._findDescription (outputDeviceName, false);

        if (! outputSide.has_value())
            return nullptr;
    }

    if (inputDeviceName.isNotEmpty())
    {
        inputSide = registry._findDescription (inputDeviceName, true);

        if (! inputSide.has_value())
            return nullptr;
    }

    return new VirtualAudioDevice (registry, std::move (outputSide), std::move (inputSide));
}

void VirtualAudioDeviceType::_deviceListChanged()
{
    triggerAsyncUpdate();
}

void VirtualAudioDeviceType::handleAsyncUpdate()
{
    // AudioDeviceManager::audioDeviceListChanged reads getDeviceNames without scanning, so the
    // list must be fresh before the listeners hear of the change.
    scanForDevices();
    callDeviceChangeListeners();
}

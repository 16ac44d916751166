#include "VirtualDeviceRegistry.h"

#include "VirtualAudioDevice.h"
#include "VirtualAudioDeviceType.h"

#include <algorithm>

namespace
{
    // The described devices a device is made from; a duplex device counts once.
    juce::StringArray sideNamesOf (const VirtualAudioDevice& device)
    {
        juce::StringArray names;
        names.addIfNotAlreadyThere (device.getOutputSideName());
        names.addIfNotAlreadyThere (device.getInputSideName());
        names.removeEmptyStrings();
        return names;
    }
}

VirtualDeviceRegistry::~VirtualDeviceRegistry()
{
    // A device manager that still holds this registry's types or devices would use it after this.
    jassert (types.empty() && devices.empty());
}

bool VirtualDeviceRegistry::addDevice (const VirtualDeviceDescription& description)
{
    // A device needs a name, some channels and something to open with.
    jassert (description.name.isNotEmpty());
    jassert (description.hasInputs() || description.hasOutputs());
    jassert (! description.sampleRates.isEmpty() && ! description.bufferSizes.isEmpty());

    const juce::ScopedLock sl (lock);

    const auto exists = std::any_of (descriptions.begin(), descriptions.end(),
                                     [&] (const auto& existing) { return existing.name == description.name; });

    if (exists)
        return false;

    descriptions.push_back (description);
    _notifyTypesLocked();
    return true;
}

bool VirtualDeviceRegistry::removeDevice (const juce::String& deviceName)
{
    const juce::ScopedLock sl (lock);

    const auto it = std::find_if (descriptions.begin(), descriptions.end(),
                                  [&] (const auto& existing) { return existing.name == deviceName; });

    if (it == descriptions.end())
        return false;

    descriptions.erase (it);

    for (auto* device : devices)
        if (device->isMadeFrom (deviceName))
            device->_unplug();

    _notifyTypesLocked();
    return true;
}

juce::StringArray VirtualDeviceRegistry::getDeviceNames (bool wantInputNames) const
{
    const juce::ScopedLock sl (lock);
    juce::StringArray names;

    for (const auto& description : descriptions)
        if (wantInputNames ? description.hasInputs() : description.hasOutputs())
            names.add (description.name);

    return names;
}

void VirtualDeviceRegistry::failNextOpens (const juce::String& deviceName, const juce::String& errorText, int numOpens)
{
    jassert (errorText.isNotEmpty()); // an empty error text would read as success

    const juce::ScopedLock sl (lock);
    pendingFailures[deviceName] = { errorText, numOpens };
}

VirtualAudioDevice* VirtualDeviceRegistry::findOpenDevice (const juce::String& deviceName) const
{
    const juce::ScopedLock sl (lock);
    return _findOpenDeviceLocked (deviceName);
}

bool VirtualDeviceRegistry::processBlock (const juce::String& deviceName,
                                          const juce::AudioBuffer<float>& input,
                                          int numSamples,
                                          juce::AudioBuffer<float>* outputCopy)
{
    VirtualAudioDevice* device = nullptr;

    {
        const juce::ScopedLock sl (lock);
        device = _findOpenDeviceLocked (deviceName);

        if (device == nullptr)
            return false;

        // Taken before the registry lock is let go: the device's destructor unregisters under
        // the registry lock and then waits for this one.
        device->callbackLock.enter();
    }

    const auto processed = device->_processBlockLocked (input, numSamples, outputCopy);
    device->callbackLock.exit();
    return processed;
}

int VirtualDeviceRegistry::getNumOpens (const juce::String& deviceName) const
{
    const juce::ScopedLock sl (lock);
    const auto it = openCounts.find (deviceName);
    return it != openCounts.end() ? it->second : 0;
}

int VirtualDeviceRegistry::getNumCloses (const juce::String& deviceName) const
{
    const juce::ScopedLock sl (lock);
    const auto it = closeCounts.find (deviceName);
    return it != closeCounts.end() ? it->second : 0;
}

AudioDeviceTypeFactory VirtualDeviceRegistry::makeFactory()
{
    return [this]
    {
        std::vector<std::unique_ptr<juce::AudioIODeviceType>> deviceTypes;
        deviceTypes.push_back (std::make_unique<VirtualAudioDeviceType> (*this));
        return deviceTypes;
    };
}

std::optional<VirtualDeviceDescription> VirtualDeviceRegistry::_findDescription (const juce::String& deviceName, bool asInput) const
{
    const juce::ScopedLock sl (lock);

    for (const auto& description : descriptions)
        if (description.name == deviceName && (asInput ? description.hasInputs() : description.hasOutputs()))
            return description;

    return std::nullopt;
}

VirtualAudioDevice* VirtualDeviceRegistry::_findOpenDeviceLocked (const juce::String& deviceName) const
{
    VirtualAudioDevice* latest = nullptr;

    for (auto* device : devices)
        if (device->isOpen() && device->isMadeFrom (deviceName))
            if (latest == nullptr || device->openSerial > latest->openSerial)
                latest = device;

    return latest;
}

void VirtualDeviceRegistry::_notifyTypesLocked()
{
    for (auto* type : types)
        type->_deviceListChanged();
}

void VirtualDeviceRegistry::_registerType (VirtualAudioDeviceType* type)
{
    const juce::ScopedLock sl (lock);
    types.push_back (type);
}

void VirtualDeviceRegistry::_unregisterType (VirtualAudioDeviceType* type)
{
    const juce::ScopedLock sl (lock);
    types.erase (std::remove (types.begin(), types.end(), type), types.end());
}

void VirtualDeviceRegistry::_registerDevice (VirtualAudioDevice* device)
{
    const juce::ScopedLock sl (lock);
    devices.push_back (device);
}

void VirtualDeviceRegistry::_unregisterDevice (VirtualAudioDevice* device)
{
    const juce::ScopedLock sl (lock);
    devices.erase (std::remove (devices.begin(), devices.end(), device), devices.end());
}

juce::String VirtualDeviceRegistry::_takeOpenFailure (const VirtualAudioDevice& device)
{
    const juce::ScopedLock sl (lock);

    for (const auto& name : sideNamesOf (device))
    {
        const auto it = pendingFailures.find (name);

        if (it == pendingFailures.end())
            continue;

        const auto errorText = it->second.errorText;

        if (--it->second.remaining <= 0)
            pendingFailures.erase (it);

        return errorText;
    }

    return {};
}

void VirtualDeviceRegistry::_countOpen (VirtualAudioDevice& device)
{
    const juce::ScopedLock sl (lock);

    for (const auto& name : sideNamesOf (device))
        ++openCounts[name];

    device.openSerial = ++numOpensSoFar;
}

void VirtualDeviceRegistry::_countClose (const VirtualAudioDevice& device)
{
    const juce::ScopedLock sl (lock);

    for (const auto& name : sideNamesOf (device))
        ++closeCounts[name];
}

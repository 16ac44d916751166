#include "RenamingDeviceType.h"

#include "VirtualAudioDevice.h"

namespace
{
/** JUCE keeps a device's name and type name in protected members of juce::AudioIODevice and
    offers no setter; a pointer to those members, taken in a derived class, reaches them. */
struct DeviceNaming : juce::AudioIODevice
{
    static void rename (juce::AudioIODevice& device, const juce::String& newName, const juce::String& newTypeName)
    {
        device.*(&DeviceNaming::name) = newName;
        device.*(&DeviceNaming::typeName) = newTypeName;
    }
};
} // namespace

RenamingDeviceType::RenamingDeviceType (VirtualDeviceRegistry& registry, const juce::String& nameOfType, Renamer renamerToUse)
    : juce::AudioIODeviceType (nameOfType),
      devices (registry),
      renamer (std::move (renamerToUse))
{
    devices.addListener (this);
}

RenamingDeviceType::~RenamingDeviceType()
{
    devices.removeListener (this);
}

void RenamingDeviceType::scanForDevices()
{
    hasScanned = true;
    devices.scanForDevices();
    inputs = _list (devices.getDeviceNames (true));
    outputs = _list (devices.getDeviceNames (false));
}

juce::StringArray RenamingDeviceType::getDeviceNames (bool wantInputNames) const
{
    jassert (hasScanned);
    return wantInputNames ? inputs.names : outputs.names;
}

int RenamingDeviceType::getDefaultDeviceIndex (bool forInput) const
{
    jassert (hasScanned);
    return (forInput ? inputs : outputs).names.isEmpty() ? -1 : 0;
}

int RenamingDeviceType::getIndexOfDevice (juce::AudioIODevice* device, bool asInput) const
{
    // The devices made here carry their listed name.
    if (device == nullptr || device->getTypeName() != getTypeName())
        return -1;

    return (asInput ? inputs : outputs).names.indexOf (device->getName());
}

bool RenamingDeviceType::hasSeparateInputsAndOutputs() const
{
    return true;
}

juce::AudioIODevice* RenamingDeviceType::createDevice (const juce::String& outputDeviceName,
                                                       const juce::String& inputDeviceName)
{
    const auto outputIndex = outputs.names.indexOf (outputDeviceName);
    const auto inputIndex = inputs.names.indexOf (inputDeviceName);

    if ((outputDeviceName.isNotEmpty() && outputIndex < 0) || (inputDeviceName.isNotEmpty() && inputIndex < 0))
        return nullptr;

    auto* device = devices.createDevice (outputs.registryNames[outputIndex], inputs.registryNames[inputIndex]);

    if (device != nullptr)
        DeviceNaming::rename (*device, outputDeviceName.isNotEmpty() ? outputDeviceName : inputDeviceName, getTypeName());

    return device;
}

juce::StringArray RenamingDeviceType::alsaNamesOf (const juce::String& cardName)
{
    const auto pcm = cardName + ", USB Audio; ";

    return { pcm + "Direct hardware device without any conversions",
             pcm + "Front output / input",
             pcm + "2.1 Surround output to Front and Subwoofer speakers",
             pcm + "5.1 Surround output to Front, Center, Rear and Subwoofer speakers",
             pcm + "IEC958 (S/PDIF) Digital Audio Output",
             pcm + "Direct sample mixing device",
             cardName + "; USB Stream Output" };
}

juce::StringArray RenamingDeviceType::alsaHardwareNamesOf (const juce::String& cardName)
{
    return { cardName + ", USB Audio", cardName + ", USB Audio #1" };
}

AudioDeviceTypeFactory RenamingDeviceType::makeFactory (VirtualDeviceRegistry& registry, const juce::String& typeName, Renamer renamer)
{
    return [&registry, typeName, renamer]
    {
        std::vector<std::unique_ptr<juce::AudioIODeviceType>> types;
        types.push_back (std::make_unique<RenamingDeviceType> (registry, typeName, renamer));
        return types;
    };
}

void RenamingDeviceType::audioDeviceListChanged()
{
    scanForDevices();
    callDeviceChangeListeners();
}

RenamingDeviceType::Listing RenamingDeviceType::_list (const juce::StringArray& registryNames) const
{
    Listing listing;

    for (const auto& registryName : registryNames)
    {
        for (const auto& name : renamer (registryName))
        {
            listing.names.add (name);
            listing.registryNames.add (registryName);
        }
    }

    return listing;
}

#include "MeterDeviceNameMatcher.h"

namespace
{
const juce::String s_alsaPcmTypeName ("ALSA");
const juce::String s_alsaHardwareTypeName ("ALSA HW");
const juce::String s_jackTypeName ("JACK");

/** How JUCE's "ALSA" type describes a card's hw: device (ALSA's own hint text). */
const juce::String s_directHardwareDescription ("; Direct hardware device without any conversions");

/** The card name of an ALSA device name: the text before the first ", "; empty without one. */
juce::String cardPartOf (const juce::String& deviceName)
{
    const auto comma = deviceName.indexOf (", ");
    return comma > 0 ? deviceName.substring (0, comma) : juce::String();
}

bool isDirectHardwareDevice (const juce::String& typeName, const juce::String& deviceName)
{
    // "ALSA HW" lists only hw: devices; "ALSA" says so in the description.
    return typeName == s_alsaHardwareTypeName || deviceName.contains (s_directHardwareDescription);
}

/** The device of `list` that stands for meterName, or an empty string. */
juce::String findInList (const MeterDeviceNameMatcher::DeviceList& list, const juce::String& meterName)
{
    if (list.outputNames.contains (meterName))
        return meterName;

    const auto shortName = meterName.endsWith (" Output") ? meterName.dropLastCharacters (7) : meterName;

    if (list.typeName == s_jackTypeName)
    {
        // With pipewire-jack's jack.short-name set, a card's client bears the card's nick alone.
        if (shortName != meterName && list.outputNames.contains (shortName))
            return shortName;

        // Otherwise PipeWire shows a sound card to JACK clients under its node's description: the
        // card's name, then its profile ("KM7-Solvin Analog Surround 5.1").
        for (const auto& name : list.outputNames)
            if (name.startsWith (shortName + " "))
                return name;

        return {};
    }

    if (! MeterDeviceNameMatcher::namesDevicesByCard (list.typeName))
        return {};

    juce::String firstOfCard;

    for (const auto& name : list.outputNames)
    {
        const auto card = cardPartOf (name);

        if (card.isEmpty() || (card != meterName && card != shortName))
            continue;

        if (isDirectHardwareDevice (list.typeName, name))
            return name;

        if (firstOfCard.isEmpty())
            firstOfCard = name;
    }

    return firstOfCard;
}
} // namespace

MeterDeviceNameMatcher::Match MeterDeviceNameMatcher::findMeterDevice (const std::vector<DeviceList>& lists,
                                                                       const juce::StringArray& meterNames)
{
    Match found;

    for (const auto& meterName : meterNames)
    {
        for (const auto& list : lists)
        {
            const auto deviceName = findInList (list, meterName);

            if (deviceName.isNotEmpty())
            {
                found = { deviceName, list.typeName, meterName };
                break;
            }
        }
    }

    return found;
}

juce::String MeterDeviceNameMatcher::productNameOf (const juce::String& meterName)
{
    return meterName.replace ("Output", "").trim();
}

bool MeterDeviceNameMatcher::namesDevicesByCard (const juce::String& typeName)
{
    return typeName == s_alsaPcmTypeName || typeName == s_alsaHardwareTypeName;
}

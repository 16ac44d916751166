#pragma once

#include <juce_core/juce_core.h>

#include <vector>

/** Finds the meter among the output devices that audio device types list.

    The meter is known by its output device's name ("KM7-Solvin Output" and the like), which is
    what it is called on most systems. JUCE's ALSA types name a sound card's devices
    "<card name>, <pcm name>" instead ("KM7-Solvin, USB Audio; Front output / input"), with the
    USB product name as the card name, so on those types a device also counts when its card part
    is exactly a meter name or that name without its trailing " Output" ("KM7-Solvin"). On the
    JACK type, where PipeWire names a sound card's client after its node's description (the card
    name, then its profile: "KM7-Solvin Analog Surround 5.1"), or after the card's nick alone when
    its jack.short-name is set ("KM7-Solvin"), a client also counts when its name is exactly that
    shorter name, or that name followed by a space. */
class MeterDeviceNameMatcher
{
public:
    /** The output devices one device type lists, in its order. */
    struct DeviceList
    {
        juce::String typeName;
        juce::StringArray outputNames;
    };

    struct Match
    {
        juce::String deviceName;   ///< as its type lists it; empty when nothing matched
        juce::String typeName;     ///< the type that lists deviceName
        juce::String meterName;    ///< the meter name deviceName stands for
    };

    /** Looks for each of meterNames in order, each in the first list that has a device for it;
        a later meter name's device wins over an earlier one's. Names are compared
        case-sensitively. On an ALSA type an exact name comes first, then the first direct
        hardware device of the card, then the card's first device; on the JACK type an exact name
        comes first, then a client named exactly after the card, then the first client whose
        name begins with the card's name and a space. */
    static Match findMeterDevice (const std::vector<DeviceList>& lists, const juce::StringArray& meterNames);

    /** The meter's name for display: meterName with every "Output" removed, trimmed. */
    static juce::String productNameOf (const juce::String& meterName);

    /** Whether a device type names devices by their sound card, as JUCE's "ALSA" and "ALSA HW"
        types do. */
    static bool namesDevicesByCard (const juce::String& typeName);
};

// How the meter is told among the output devices the device types list: exact names everywhere,
// on JUCE's ALSA types the devices of a sound card named after the meter, and on JACK the clients
// PipeWire names after such a card (by its nick alone, or its description).

#include "RenamingDeviceType.h"

#include "audio/MeterDeviceNameMatcher.h"

#include <gtest/gtest.h>

namespace
{
// Plain strings in the tables: gtest keeps its cases until after JUCE's leak check has run.
using Names = std::vector<std::string>;

Names namesOf (const juce::StringArray& names)
{
    Names result;

    for (const auto& name : names)
        result.push_back (name.toStdString());

    return result;
}

struct ListedDevices
{
    const char* typeName;
    Names outputNames;
};

const Names km7 = namesOf (RenamingDeviceType::alsaNamesOf ("KM7-Solvin"));
const std::string km7Hardware = km7[0], km7Front = km7[1], km7Mixing = km7[5];

struct MatchCase
{
    const char* what;
    std::vector<ListedDevices> lists;
    juce::String expectedDevice;   // empty: no meter
    juce::String expectedType;
    juce::String expectedProduct;
};

void PrintTo (const MatchCase& c, std::ostream* os)  { *os << c.what; }

class MeterHandlerNameMatcher : public ::testing::TestWithParam<MatchCase> {};

TEST_P (MeterHandlerNameMatcher, FindsTheMetersDeviceAndNamesTheProduct)
{
    const auto& c = GetParam();
    std::vector<MeterDeviceNameMatcher::DeviceList> lists;

    for (const auto& listed : c.lists)
    {
        lists.push_back ({ listed.typeName, {} });

        for (const auto& name : listed.outputNames)
            lists.back().outputNames.add (name);
    }

    const auto found = MeterDeviceNameMatcher::findMeterDevice (lists, { "PV4 Output", "KM7-Solvin Output" });

    EXPECT_EQ (found.deviceName, c.expectedDevice);

    if (c.expectedDevice.isNotEmpty())
    {
        EXPECT_EQ (found.typeName, c.expectedType);
        EXPECT_EQ (MeterDeviceNameMatcher::productNameOf (found.meterName), c.expectedProduct);
    }
}

INSTANTIATE_TEST_SUITE_P (MeterHandlerNameMatcherCases, MeterHandlerNameMatcher, ::testing::Values (
    MatchCase { "alsaCardNamedAfterTheMeter", { { "ALSA", km7 } }, km7Hardware, "ALSA", "KM7-Solvin" },
    MatchCase { "directHardwareDeviceWinsWhereverItIsListed", { { "ALSA", { km7Front, km7Mixing, km7Hardware } } }, km7Hardware, "ALSA", "KM7-Solvin" },
    MatchCase { "withoutHardwareDeviceTheCardsFirstDevice", { { "ALSA", { km7Mixing, km7Front } } }, km7Mixing, "ALSA", "KM7-Solvin" },
    MatchCase { "alsaHwTypeTakesTheCardsFirstDevice", { { "ALSA HW", namesOf (RenamingDeviceType::alsaHardwareNamesOf ("KM7-Solvin")) } },
                "KM7-Solvin, USB Audio", "ALSA HW", "KM7-Solvin" },
    MatchCase { "cardNamedExactlyLikeTheOutput", { { "ALSA", namesOf (RenamingDeviceType::alsaNamesOf ("KM7-Solvin Output")) } },
                "KM7-Solvin Output, USB Audio; Direct hardware device without any conversions", "ALSA", "KM7-Solvin" },
    MatchCase { "pv4Card", { { "ALSA", namesOf (RenamingDeviceType::alsaNamesOf ("PV4")) } },
                "PV4, USB Audio; Direct hardware device without any conversions", "ALSA", "PV4" },
    MatchCase { "km7CardWinsOverAPv4CardListedAfterIt", { { "ALSA", km7 }, { "ALSA HW", namesOf (RenamingDeviceType::alsaHardwareNamesOf ("PV4")) } },
                km7Hardware, "ALSA", "KM7-Solvin" },
    MatchCase { "km7OnAnyTypeWinsOverPv4", { { "ALSA", namesOf (RenamingDeviceType::alsaNamesOf ("PV4")) }, { "JACK", { "KM7-Solvin Output" } } },
                "KM7-Solvin Output", "JACK", "KM7-Solvin" },
    MatchCase { "firstTypeWithTheMeterWins", { { "ALSA", km7 }, { "JACK", { "KM7-Solvin Output" } } }, km7Hardware, "ALSA", "KM7-Solvin" },
    MatchCase { "exactNameBeforeTheCardsDevices", { { "ALSA", { km7Hardware, "KM7-Solvin Output" } } }, "KM7-Solvin Output", "ALSA", "KM7-Solvin" },
    MatchCase { "exactNameOnAnotherType", { { "JACK", { "system", "KM7-Solvin Output" } } }, "KM7-Solvin Output", "JACK", "KM7-Solvin" },
    MatchCase { "caseVariantInAnEarlierTypeLosesToTheExactName", { { "Virtual A", { "km7-solvin output" } }, { "Virtual B", { "KM7-Solvin Output" } } },
                "KM7-Solvin Output", "Virtual B", "KM7-Solvin" },
    MatchCase { "cardNamesCountOnlyOnAlsaTypes", { { "JACK", km7 } }, {}, {}, {} },
    // PipeWire's JACK clients: the card name, a space, the profile.
    MatchCase { "pipeWireClientNamedAfterTheCard", { { "JACK", { "Midi-Bridge", "KM7-Solvin Analog Surround 5.1" } } },
                "KM7-Solvin Analog Surround 5.1", "JACK", "KM7-Solvin" },
    MatchCase { "pipeWirePv4Client", { { "JACK", { "PV4 Analog Stereo" } } }, "PV4 Analog Stereo", "JACK", "PV4" },
    MatchCase { "exactClientNameBeforeACardsClient", { { "JACK", { "KM7-Solvin Analog Surround 5.1", "KM7-Solvin Output" } } },
                "KM7-Solvin Output", "JACK", "KM7-Solvin" },
    MatchCase { "km7CardClientWinsOverTheExactPv4Name", { { "JACK", { "PV4 Output", "KM7-Solvin Digital Stereo (IEC958)" } } },
                "KM7-Solvin Digital Stereo (IEC958)", "JACK", "KM7-Solvin" },
    // pipewire-jack with jack.short-name: the card's nick alone.
    MatchCase { "pipeWireShortClientName", { { "JACK", { "Midi-Bridge", "KM7-Solvin" } } }, "KM7-Solvin", "JACK", "KM7-Solvin" },
    MatchCase { "pipeWireShortPv4ClientName", { { "JACK", { "PV4" } } }, "PV4", "JACK", "PV4" },
    MatchCase { "exactClientNameBeforeTheShortName", { { "JACK", { "KM7-Solvin", "KM7-Solvin Output" } } },
                "KM7-Solvin Output", "JACK", "KM7-Solvin" },
    MatchCase { "shortNameBeforeACardsProfileClient", { { "JACK", { "KM7-Solvin Analog Surround 5.1", "KM7-Solvin" } } },
                "KM7-Solvin", "JACK", "KM7-Solvin" },
    MatchCase { "km7ShortNameWinsOverTheExactPv4Name", { { "JACK", { "PV4 Output", "KM7-Solvin" } } }, "KM7-Solvin", "JACK", "KM7-Solvin" },
    MatchCase { "cardClientNamesCountOnlyOnJack", { { "Virtual", { "KM7-Solvin Analog Surround 5.1", "KM7-Solvin", "PV4" } } }, {}, {}, {} },
    MatchCase { "otherClientNamesAreNotTheMeter", { { "JACK", { "KM7-Solvin2", "KM7-Solvin2 Analog Stereo", "km7-solvin",
                                                                         "km7-solvin Analog Stereo", "Monitor of KM7-Solvin Analog Stereo" } } }, {}, {}, {} },
    MatchCase { "cardCaseVariantIsNotTheMeter", { { "ALSA", namesOf (RenamingDeviceType::alsaNamesOf ("km7-solvin")) } }, {}, {}, {} },
    MatchCase { "longerOrShorterCardNameIsNotTheMeter", { { "ALSA", namesOf (RenamingDeviceType::alsaNamesOf ("KM7-Solvin2")) },
                                                        { "ALSA HW", namesOf (RenamingDeviceType::alsaHardwareNamesOf ("KM7-Solvin Out")) } }, {}, {}, {} },
    MatchCase { "usbStreamHasNoCardPart", { { "ALSA", { "KM7-Solvin; USB Stream Output" } } }, {}, {}, {} }),
    [] (const ::testing::TestParamInfo<MatchCase>& param) { return std::string (param.param.what); });
} // namespace

#include "ScopedTranslations.h"

#include <i18n/TranslationTable.h>

#include <gtest/gtest.h>

namespace
{
// How the routing button composes a text around the meter's name.
juce::String composed (const juce::String& key, const juce::String& deviceName)
{
    return (juce::translate (key + "_1") + juce::translate (deviceName) + juce::translate (key + "_2")).trim();
}
} // namespace

TEST (TranslationTexts, HeadersAndEntryCounts)
{
    const auto english = TranslationTable::createTable (false);
    const auto german = TranslationTable::createTable (true);

    // The byte-order mark must not hide the first header line.
    EXPECT_EQ (english->getLanguageName(), "English");
    EXPECT_EQ (english->getCountryCodes(), juce::StringArray ({ "au", "us", "gb" }));
    EXPECT_EQ (german->getLanguageName(), "German");
    EXPECT_EQ (german->getCountryCodes(), juce::StringArray ({ "de", "at" }));

    EXPECT_EQ (english->getMappings().size(), 50);
    EXPECT_EQ (german->getMappings().size(), 74); // 75 entries, "tt_audiosettings" twice
}

TEST (TranslationTexts, EveryEnglishKeyHasAGermanText)
{
    const auto english = TranslationTable::createTable (false);
    const auto german = TranslationTable::createTable (true);

    for (const auto& key : english->getMappings().getAllKeys())
        EXPECT_TRUE (german->getMappings().containsKey (key)) << key;
}

TEST (TranslationTexts, EscapesAreUnescapedAndEntriesParseWhole)
{
    const auto english = TranslationTable::createTable (false);
    const auto german = TranslationTable::createTable (true);

    EXPECT_EQ (english->translate ("tt_loudnessStart"),
               "The activated \"Start\" key is used to start the loudness measurement.");
    EXPECT_EQ (english->translate ("tt_menu_device_type"),
               "This drop down menu is used to define the device type like \" DirectSound\" or \"ASIO\" or others.");
    EXPECT_EQ (english->translate ("tt_deviceNotSupported"), "Audio routing not supported.\nPlease click for details.");
    EXPECT_EQ (english->translate ("tt_menu_device_reset_device"),
               "This button is used to reset the audio interface.\nThis is sometimes needed after properties of a "
               "device have been changed in its custom control panel. ");
    EXPECT_EQ (english->translate ("device's"), "device's");

    // Its inner quotes are escaped, so the whole text survives, up to the final sentence.
    const auto osError = german->translate ("vantrelOSError2");
    EXPECT_TRUE (osError.startsWith (").\nLeider kann diese Funktion nicht genutzt werden.\n\n")) << osError;
    EXPECT_TRUE (osError.endsWith ("(erreichbar im Bereich \"System Info\").")) << osError;

    EXPECT_EQ (german->translate ("usbDevice"), juce::CharPointer_UTF8 ("USB Audio Ger\xc3\xa4t"));
    EXPECT_EQ (german->translate ("lastCheck"), juce::CharPointer_UTF8 ("Letzte \xc3\x9c" "berpr\xc3\xbc" "fung "));
}

class TranslationLookup : public ::testing::TestWithParam<bool>
{
protected:
    ScopedTranslations restore;
};

TEST_P (TranslationLookup, KeysIgnoreCaseAndMissingKeysTranslateToThemselves)
{
    TranslationTable::installForLanguage (GetParam() ? "de-DE" : "en-US");

    EXPECT_EQ (juce::translate ("TT_INFO"), juce::translate ("tt_info"));
    EXPECT_NE (juce::translate ("tt_info"), "tt_info");
    EXPECT_EQ (juce::translate ("Tt_AudioSettings"), juce::translate ("tt_audiosettings"));

    // Remote button captions, tab names and texts without an entry read the same in both.
    for (const auto* text : { "Start", "Stop", "Reset Loudness", "Time", "Ref +", "Ref -", "OK", "System", "Audio",
                              "Audio Setup", "Audio Routing", "tt_audiorouting", "Input channel", "Checking for updates..." })
        EXPECT_EQ (juce::translate (text), text);
}

INSTANTIATE_TEST_SUITE_P (Languages, TranslationLookup, ::testing::Values (false, true),
                          [] (const auto& p) { return p.param ? "German" : "English"; });

struct DeviceTextCase
{
    const char* key;
    const char* english;
    const char* german; // UTF-8
};

TEST (TranslationDeviceTexts, ComposedAroundTheDeviceNameAndTrimmed)
{
    const ScopedTranslations restore;
    const DeviceTextCase cases[] = {
        { "tt_deviceDisconnected", "KM7-Solvin disconnected", "Verbindung zu KM7-Solvin getrennt" },
        { "tt_deviceEnableRouting", "Enable Routing to KM7-Solvin", "Routing zu KM7-Solvin aktivieren" },
        { "tt_deviceDisableRouting", "Disable Routing to KM7-Solvin", "Routing zu KM7-Solvin unterbrechen" },
        { "tt_deviceInvalidChannelSetup", "Channel setup or sample rate not supported by KM7-Solvin",
          "Kanal-Konfiguration oder Samplerate wird von KM7-Solvin nicht unterst\xc3\xbctzt" },
    };

    TranslationTable::installForLanguage ("en-GB");
    for (const auto& c : cases)
        EXPECT_EQ (composed (c.key, "KM7-Solvin"), c.english);

    TranslationTable::installForLanguage ("de-AT");
    for (const auto& c : cases)
        EXPECT_EQ (composed (c.key, "KM7-Solvin"), juce::String (juce::CharPointer_UTF8 (c.german)));
}

TEST (TranslationTexts, LinesWithoutATranslationAreSkippedWithoutReadingPastThem)
{
    // A line with an original but no translation used to send JUCE's reader
    // past the end of the line (AddressSanitizer: heap-buffer-overflow).
    const std::string text = "language: English\n"
                             "\"alone\"\n"
                             "\"no translation\" =\n"
                             "\"open\n"
                             "\"kept\" = \"Kept \\\"text\\\"\"\n"
                             "   \"spaced\"   ";
    const auto table = TranslationTable::createTableFromText (text.c_str(), (int) text.size());

    EXPECT_EQ (table->getLanguageName(), "English");
    EXPECT_EQ (table->translate ("kept"), "Kept \"text\"");
    EXPECT_EQ (table->getMappings().size(), 1);
}

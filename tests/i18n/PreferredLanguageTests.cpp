#include "ScopedTranslations.h"

#include <i18n/PreferredLanguage.h>
#include <i18n/TranslationTable.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace
{
// Sets or clears an environment variable for one test and restores it afterwards.
class ScopedEnvironmentVariable
{
public:
    ScopedEnvironmentVariable (const char* variableName, const char* value) : name (variableName)
    {
        if (const char* old = std::getenv (name))
            previous = std::string (old);

        if (value != nullptr)
            ::setenv (name, value, 1);
        else
            ::unsetenv (name);
    }

    ~ScopedEnvironmentVariable()
    {
        if (previous)
            ::setenv (name, previous->c_str(), 1);
        else
            ::unsetenv (name);
    }

private:
    const char* name;
    std::optional<std::string> previous;
};
} // namespace

struct LanguageCase
{
    const char* value;
    bool german;
};

class LanguageChoice : public ::testing::TestWithParam<LanguageCase>
{
};

TEST_P (LanguageChoice, GermanWhenTheFirstPreferredLanguageContainsDe)
{
    const auto tag = PreferredLanguage::toLanguageTag (GetParam().value);
    EXPECT_EQ (TranslationTable::isGerman (tag), GetParam().german) << GetParam().value << " -> " << tag;
}

INSTANTIATE_TEST_SUITE_P (
    Tags, LanguageChoice,
    ::testing::Values (LanguageCase { "de-DE", true }, LanguageCase { "de-AT", true }, LanguageCase { "de-CH", true },
                       LanguageCase { "de_DE.UTF-8", true }, LanguageCase { "de", true },
                       LanguageCase { "en-DE", false }, LanguageCase { "en_US.UTF-8", false }, LanguageCase { "C", false },
                       LanguageCase { "C.UTF-8", false }, LanguageCase { "", false },
                       // The modifier is not part of the language: Sindhi in Devanagari script.
                       LanguageCase { "sd_IN@devanagari", false }),
    [] (const auto& p) { return "case" + std::to_string (p.index); });

TEST (LanguageFromEnvironment, FirstEntryOfLanguageThenLcAllLcMessagesAndLang)
{
    EXPECT_EQ (PreferredLanguage::fromValues ("de_AT:en_US", "en_US.UTF-8", "", "en_GB.UTF-8"), "de-AT");
    EXPECT_EQ (PreferredLanguage::fromValues ("en_GB:de_DE", "", "", "de_DE.UTF-8"), "en-GB");
    EXPECT_EQ (PreferredLanguage::fromValues ("", "de_CH.UTF-8", "en_US.UTF-8", "en_US.UTF-8"), "de-CH");
    EXPECT_EQ (PreferredLanguage::fromValues ("", "", "de_DE@euro", "en_US.UTF-8"), "de-DE");
    EXPECT_EQ (PreferredLanguage::fromValues ("", "", "", "en_US.UTF-8"), "en-US");
    EXPECT_EQ (PreferredLanguage::fromValues (":de", "", "", "en_US.UTF-8"), "de") << "empty entries are skipped";
    EXPECT_EQ (PreferredLanguage::fromValues (" : :de_AT:en", "", "", "en_US.UTF-8"), "de-AT");
    EXPECT_EQ (PreferredLanguage::fromValues (":", "", "", ""), "");
    EXPECT_EQ (PreferredLanguage::fromValues ("", "", "", ""), "");
}

TEST (LanguageFromEnvironment, LanguageIsIgnoredUnderTheCLocaleAsInGettext)
{
    struct Case
    {
        const char *language, *lcAll, *lcMessages, *lang, *expected;
    };

    const Case cases[] = {
        { "de", "C", "", "", "C" },
        { "de_DE", "POSIX", "", "de_DE.UTF-8", "POSIX" },   // LC_ALL decides, even against LANG
        { "de", "", "", "C.UTF-8", "C" },
        { "de", "", "C", "en_US.UTF-8", "C" },              // LC_MESSAGES before LANG
        { "de_AT:en", "", "", "", "" },                     // no locale set counts as C
        { "de", "", "en_US.UTF-8", "C", "de" },             // a real locale in effect: LANGUAGE counts
        { "de", "", "", "POSIX.UTF-8", "POSIX" },
        { "de", "", "", "Cs_CZ.UTF-8", "de" },              // not the C locale, only a C at the start
    };

    for (const auto& c : cases)
    {
        const auto tag = PreferredLanguage::fromValues (c.language, c.lcAll, c.lcMessages, c.lang);
        EXPECT_EQ (tag, c.expected) << c.language << " | " << c.lcAll << " | " << c.lcMessages << " | " << c.lang;
        EXPECT_EQ (TranslationTable::isGerman (tag), juce::String (c.expected) == "de");
    }
}

TEST (LanguageFromEnvironment, ProcessEnvironmentChoosesTheInstalledTexts)
{
    const ScopedTranslations restoreTranslations;
    {
        const ScopedEnvironmentVariable language ("LANGUAGE", "de_AT:en_US");
        const ScopedEnvironmentVariable lcAll ("LC_ALL", nullptr);
        const ScopedEnvironmentVariable lcMessages ("LC_MESSAGES", nullptr);
        const ScopedEnvironmentVariable lang ("LANG", "en_US.UTF-8");

        TranslationTable::installForPreferredLanguage();
        EXPECT_EQ (juce::translate ("tt_deviceBusy"), juce::CharPointer_UTF8 ("Verbinde Ger\xc3\xa4t ..."));
        EXPECT_EQ (juce::translate ("Check for update"), "Update suchen");
    }
    {
        const ScopedEnvironmentVariable language ("LANGUAGE", nullptr);
        const ScopedEnvironmentVariable lcAll ("LC_ALL", nullptr);
        const ScopedEnvironmentVariable lcMessages ("LC_MESSAGES", nullptr);
        const ScopedEnvironmentVariable lang ("LANG", "en_US.UTF-8");

        TranslationTable::installForPreferredLanguage();
        EXPECT_EQ (juce::translate ("tt_deviceBusy"), "Busy connecting device ...");
        EXPECT_EQ (juce::translate ("Check for update"), "Check for update");
    }
    {
        const ScopedEnvironmentVariable language ("LANGUAGE", "de");
        const ScopedEnvironmentVariable lcAll ("LC_ALL", "C");

        TranslationTable::installForPreferredLanguage();
        EXPECT_EQ (juce::translate ("Check for update"), "Check for update") << "LANGUAGE=de LC_ALL=C is English";
    }
}

#include "PreferredLanguage.h"

#include <cstdlib>

namespace
{
juce::String _environmentValue (const char* name)
{
    const char* value = std::getenv (name);
    return value != nullptr ? juce::String::fromUTF8 (value) : juce::String();
}
} // namespace

juce::String PreferredLanguage::fromEnvironment()
{
    return fromValues (_environmentValue ("LANGUAGE"), _environmentValue ("LC_ALL"),
                       _environmentValue ("LC_MESSAGES"), _environmentValue ("LANG"));
}

juce::String PreferredLanguage::fromValues (const juce::String& language, const juce::String& lcAll,
                                            const juce::String& lcMessages, const juce::String& lang)
{
    // The locale in effect for messages: the first of LC_ALL, LC_MESSAGES, LANG that is set.
    juce::String locale;
    for (const auto& value : { lcAll, lcMessages, lang })
    {
        if (value.trim().isNotEmpty())
        {
            locale = value.trim();
            break;
        }
    }

    // As in gettext, LANGUAGE counts only when that locale is a real one: under C or POSIX (also
    // when none is set) a program speaks English whatever LANGUAGE says.
    if (! isCLocale (locale))
    {
        auto languages = juce::StringArray::fromTokens (language, ":", {});
        languages.trim();
        languages.removeEmptyStrings();

        if (! languages.isEmpty())
            return toLanguageTag (languages[0]);
    }

    return locale.isEmpty() ? juce::String() : toLanguageTag (locale);
}

bool PreferredLanguage::isCLocale (const juce::String& localeName)
{
    const auto name = localeName.trim().upToFirstOccurrenceOf (".", false, false).upToFirstOccurrenceOf ("@", false, false);
    return name.isEmpty() || name == "C" || name == "POSIX";
}

juce::String PreferredLanguage::toLanguageTag (const juce::String& localeName)
{
    return localeName.upToFirstOccurrenceOf (".", false, false)
                     .upToFirstOccurrenceOf ("@", false, false)
                     .replaceCharacter ('_', '-')
                     .trim();
}

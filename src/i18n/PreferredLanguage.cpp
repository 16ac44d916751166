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
    auto languages = juce::StringArray::fromTokens (language, ":", {});
    languages.trim();
    languages.removeEmptyStrings();

    if (! languages.isEmpty())
        return toLanguageTag (languages[0]);

    for (const auto& value : { lcAll, lcMessages, lang })
        if (value.trim().isNotEmpty())
            return toLanguageTag (value.trim());

    return {};
}

juce::String PreferredLanguage::toLanguageTag (const juce::String& localeName)
{
    return localeName.upToFirstOccurrenceOf (".", false, false)
                     .upToFirstOccurrenceOf ("@", false, false)
                     .replaceCharacter ('_', '-')
                     .trim();
}

#pragma once

#include <juce_core/juce_core.h>

/** The user's first preferred language, read the way Linux programs read it: the first entry of
    LANGUAGE (a colon-separated list), else LC_ALL, else LC_MESSAGES, else LANG. As in gettext,
    LANGUAGE is passed over when the locale in effect (the first of LC_ALL, LC_MESSAGES, LANG that
    is set) is C or POSIX, or when none is set.

    JUCE 7 gives no language tag on Linux (SystemStats reports English language names, and only
    for locales that are compiled), so the program reads the environment itself. */
class PreferredLanguage
{
public:
    /** The first preferred language of this process's user as a tag such as "de-DE"; empty when
        none of the variables is set. */
    static juce::String fromEnvironment();

    /** The same choice from given variable values, in the order LANGUAGE, LC_ALL, LC_MESSAGES,
        LANG; empty values are passed over. */
    static juce::String fromValues (const juce::String& language, const juce::String& lcAll,
                                    const juce::String& lcMessages, const juce::String& lang);

    /** True for "C", "POSIX", their variants with a code set or modifier ("C.UTF-8") and an
        empty name: the locales under which LANGUAGE is not obeyed. */
    static bool isCLocale (const juce::String& localeName);

    /** Turns a POSIX locale name into a language tag: "de_DE.UTF-8" and "de_DE@euro" give
        "de-DE"; a tag such as "de-AT", and "C", stay as they are. The code set and modifier are
        dropped so that they cannot be mistaken for a language ("sd_IN@devanagari" is Sindhi). */
    static juce::String toLanguageTag (const juce::String& localeName);

    PreferredLanguage() = delete;
};

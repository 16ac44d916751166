#pragma once

#include <juce_core/juce_core.h>

/** Chooses the English or German translation text by the user's first preferred language and
    installs it as the process-wide table that juce::translate reads.

    Called on the message thread while the processor is built, before any window exists; the
    choice is made once per run. */
class TranslationTable
{
public:
    /** Builds the table from the embedded text for the user's language and installs it. */
    static void installForPreferredLanguage();

    /** Installs the table for the given language tag, replacing (and deleting) the one before. */
    static void installForLanguage (const juce::String& languageTag);

    /** True when the tag asks for German: it contains "de" in lower case anywhere ("de-DE",
        "de-AT", "de-CH"); "en-DE" (English in Germany) and an empty tag give English. */
    static bool isGerman (const juce::String& languageTag);

    /** A new table, keys compared ignoring case, built from the embedded English or German text. */
    static std::unique_ptr<juce::LocalisedStrings> createTable (bool german);

    /** A new table, keys compared ignoring case, built from a translation text as the resources
        hold it: `numBytes` bytes of UTF-8, with or without a byte-order mark, followed by a zero
        byte (which embedded data always has). */
    static std::unique_ptr<juce::LocalisedStrings> createTableFromText (const void* data, int numBytes);

    TranslationTable() = delete;
};

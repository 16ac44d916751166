#include "TranslationTable.h"

#include "PreferredLanguage.h"

#include <BinaryData.h>

namespace
{
// The quotes on a trimmed line after its opening one that JUCE's reader takes as closing: those
// not right after a backslash.
int countClosingQuotes (const juce::String& line)
{
    int count = 0;
    juce::juce_wchar previous = 0;

    for (auto p = line.getCharPointer() + 1; ! p.isEmpty(); ++p)
    {
        if (*p == '"' && previous != '\\')
            ++count;

        previous = *p;
    }

    return count;
}

// JUCE's reader looks for the next quote from one place past the end of a line that starts with
// a quote but closes fewer than two more (an original left without its translation, say), and
// so reads past the end of that line's text. Such a line holds no translation; it is left out.
juce::String withoutUnfinishedEntries (const juce::String& text)
{
    juce::StringArray lines;
    lines.addLines (text);
    lines.strings.removeIf ([] (const juce::String& line)
    {
        const auto trimmed = line.trim();
        return trimmed.startsWithChar ('"') && countClosingQuotes (trimmed) < 2;
    });

    return lines.joinIntoString ("\n");
}
} // namespace

void TranslationTable::installForPreferredLanguage()
{
    installForLanguage (PreferredLanguage::fromEnvironment());
}

void TranslationTable::installForLanguage (const juce::String& languageTag)
{
    juce::LocalisedStrings::setCurrentMappings (createTable (isGerman (languageTag)).release());
}

bool TranslationTable::isGerman (const juce::String& languageTag)
{
    return languageTag.contains ("de");
}

std::unique_ptr<juce::LocalisedStrings> TranslationTable::createTable (bool german)
{
    return german ? createTableFromText (BinaryData::german_txt, BinaryData::german_txtSize)
                  : createTableFromText (BinaryData::english_txt, BinaryData::english_txtSize);
}

std::unique_ptr<juce::LocalisedStrings> TranslationTable::createTableFromText (const void* data, int numBytes)
{
    // The texts are UTF-8 with a byte-order mark; createStringFromData drops the mark, which
    // would otherwise stay in front of the "language:" header line.
    return std::make_unique<juce::LocalisedStrings> (withoutUnfinishedEntries (juce::String::createStringFromData (data, numBytes)), true);
}

#include "TranslationTable.h"

#include "PreferredLanguage.h"

#include <BinaryData.h>

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
    // The texts are UTF-8 with a byte-order mark; createStringFromData drops the mark, which
    // would otherwise stay in front of the "language:" header line.
    const auto text = german ? juce::String::createStringFromData (BinaryData::german_txt, BinaryData::german_txtSize)
                             : juce::String::createStringFromData (BinaryData::english_txt, BinaryData::english_txtSize);
    return std::make_unique<juce::LocalisedStrings> (text, true);
}

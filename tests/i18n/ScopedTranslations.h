#pragma once

#include <juce_core/juce_core.h>

/** Keeps a copy of the process-wide translation table and puts it back at the end of a test
    (installing a new table deletes the one before, so a copy is the only way back). */
class ScopedTranslations
{
public:
    ScopedTranslations()
    {
        if (auto* current = juce::LocalisedStrings::getCurrentMappings())
            saved = std::make_unique<juce::LocalisedStrings> (*current);
    }

    ~ScopedTranslations() { juce::LocalisedStrings::setCurrentMappings (saved.release()); }

private:
    std::unique_ptr<juce::LocalisedStrings> saved;

    JUCE_DECLARE_NON_COPYABLE (ScopedTranslations)
};

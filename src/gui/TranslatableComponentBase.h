#pragma once

#include <juce_core/juce_core.h>

/** A component that keeps its texts untranslated beside the translated ones it shows, so that a
    translation pass can translate them again into whatever language is then installed.
    Message thread only. */
class TranslatableComponentBase
{
public:
    virtual ~TranslatableComponentBase() = default;

    /** Translates the component's texts again and passes the call on to its translatable
        children. */
    virtual void updateTranslation() = 0;

    /** Sets a tooltip given as untranslated text. */
    virtual void setTranslatableTooltip (const juce::String& text) = 0;
};

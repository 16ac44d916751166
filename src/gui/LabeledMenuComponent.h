#pragma once

#include "TranslatableComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** One caption-and-value row of the System tab's "Info" panel: a caption label on the left and a
    value label to its right, both white, neither editable. Each label shows the translation of the
    text it was made from; `untranslatedTexts` keeps those texts. Message thread only. */
class LabeledMenuComponent : public juce::Component,
                             public juce::SettableTooltipClient,
                             public TranslatableComponent<LabeledMenuComponent*>
{
public:
    LabeledMenuComponent (const juce::String& caption, const juce::String& value);
    ~LabeledMenuComponent() override;

    /** The usual pass (the row's tooltip, then its translatable children), then both labels
        show the translation of the texts they were made from. */
    void updateTranslation() override;
    /** The row keeps no tooltip of its own: the text goes to every translatable child. */
    void setTranslatableTooltip (const juce::String& text) override;

    /** Places the row at y across the given width and returns the height the panel reserves
        for it: the row's height plus 12 px of space below. */
    int resize (int y, int width);

    static constexpr int defaultRowHeight = 36;
    static constexpr int rowSpacing = 12;

    /** 0 the caption, 1 the value. */
    juce::Label* labels[2] {};
    juce::String untranslatedTexts[2];

private:
    void _initLabel (unsigned long index, const juce::String& text);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LabeledMenuComponent)
};

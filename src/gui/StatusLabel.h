#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The System tab's label for the status of the last update check: a few explicit lines (the
    result, then the time of the check) in a fixed area. The framework lays out text with line
    breaks without any line limit, so a long line pushes the last one out of the label; this label
    fits the whole text into its rows instead: each line word-wrapped, squeezed horizontally down
    to the theme's minimum scale, and only where even that does not fit with a smaller font, down
    to minimumFontHeight. Text colour, font and justification are the label's own. */
class StatusLabel : public juce::Label
{
public:
    StatusLabel (const juce::String& name, const juce::String& text);

    /** The rows the text is drawn in and the font they are drawn with. */
    struct Layout
    {
        juce::Font font;
        juce::StringArray rows;
        bool fits = false; ///< false only when even the smallest font could not hold the text
    };

    /** Fits `text` into rows of `width` x the font's height, as many as `height` holds. */
    static Layout fitText (const juce::String& text, const juce::Font& font, int width, int height);

    /** The horizontal scale the theme squeezes text down to before it gives up (Font's default). */
    static constexpr float minimumHorizontalScale = 0.7f;
    static constexpr float minimumFontHeight = 9.0f;

protected:
    void paint (juce::Graphics& g) override;

private:
    static bool _wrap (const juce::String& text, const juce::Font& font, float width, int maxRows, juce::StringArray& rows);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (StatusLabel)
};

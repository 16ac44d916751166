#include "StatusLabel.h"

#include <limits>

StatusLabel::StatusLabel (const juce::String& name, const juce::String& text)
    : juce::Label (name, text)
{
}

StatusLabel::Layout StatusLabel::fitText (const juce::String& text, const juce::Font& font, int width, int height)
{
    Layout layout;

    for (auto fontHeight = font.getHeight(); fontHeight >= minimumFontHeight - 0.01f; fontHeight -= 0.5f)
    {
        const auto maxRows = juce::jmax (1, (int) ((float) height / font.withHeight (fontHeight).getHeight()));

        for (auto scale = 1.0f; scale >= minimumHorizontalScale - 0.001f; scale -= 0.05f)
        {
            layout.font = font.withHeight (fontHeight).withHorizontalScale (scale);
            layout.rows.clear();

            if (_wrap (text, layout.font, (float) width, maxRows, layout.rows))
            {
                layout.fits = true;
                return layout;
            }
        }
    }

    // Nothing fits: the smallest font, every row that the label holds.
    layout.font = font.withHeight (minimumFontHeight).withHorizontalScale (minimumHorizontalScale);
    layout.rows.clear();
    _wrap (text, layout.font, (float) width, std::numeric_limits<int>::max(), layout.rows);
    return layout;
}

bool StatusLabel::_wrap (const juce::String& text, const juce::Font& font, float width, int maxRows, juce::StringArray& rows)
{
    for (const auto& line : juce::StringArray::fromLines (text))
    {
        juce::StringArray words;
        words.addTokens (line, " ", {});
        words.removeEmptyStrings();

        juce::String row;

        for (const auto& word : words)
        {
            // A word wider than a whole row does not fit at this size.
            if (font.getStringWidthFloat (word) > width)
                return false;

            const auto candidate = row.isEmpty() ? word : row + " " + word;

            if (font.getStringWidthFloat (candidate) <= width)
            {
                row = candidate;
            }
            else
            {
                rows.add (row);
                row = word;
            }
        }

        rows.add (row);

        if (rows.size() > maxRows)
            return false;
    }

    return true;
}

void StatusLabel::paint (juce::Graphics& g)
{
    const auto area = getBorderSize().subtractedFrom (getLocalBounds());
    const auto layout = fitText (getText(), getLookAndFeel().getLabelFont (*this), area.getWidth(), area.getHeight());
    const auto rowHeight = layout.font.getHeight();

    g.setColour (findColour (textColourId).withMultipliedAlpha (isEnabled() ? 1.0f : 0.5f));
    g.setFont (layout.font);

    const auto horizontal = getJustificationType().getOnlyHorizontalFlags();
    auto y = (float) area.getY();

    for (const auto& row : layout.rows)
    {
        g.drawText (row, juce::Rectangle<float> ((float) area.getX(), y, (float) area.getWidth(), rowHeight),
                    juce::Justification (horizontal | juce::Justification::verticallyCentred), false);
        y += rowHeight;
    }
}

// The theme's drawers for tooltips: their balanced text, size and placement.
#include "KestroLookAndFeel.h"

#include "BalancedLineLayout.h"
#include "ThemeConstants.h"
#include "ThemeGeometry.h"

namespace
{
constexpr float tooltipFontHeight = 15.5f;
constexpr float tooltipMaxLineWidth = 400.0f;

// The tooltip text in balanced lines; the same layout sizes the window and draws its text.
juce::TextLayout layoutTooltipText (const juce::String& text, const juce::Colour& colour)
{
    juce::AttributedString s;
    s.setJustification (juce::Justification::centredLeft);
    s.setWordWrap (juce::AttributedString::byWord);
    s.setReadingDirection (juce::AttributedString::natural);
    s.setLineSpacing (0.0f);
    s.append (text, juce::Font (ThemeConstants::alertFontName, tooltipFontHeight, juce::Font::plain), colour);

    return BalancedLineLayout::create (s, tooltipMaxLineWidth);
}
} // namespace

//==============================================================================
juce::Rectangle<int> KestroLookAndFeel::getTooltipBounds (const juce::String& tipText, juce::Point<int> screenPos,
                                                          juce::Rectangle<int> parentArea)
{
    const auto layout = layoutTooltipText (tipText, juce::Colours::black);
    const auto w = (int) (layout.getWidth() + 18.0f);
    const auto h = (int) (layout.getHeight() + 13.0f);

    return ThemeGeometry::tooltipBounds (w, h, screenPos, parentArea);
}

void KestroLookAndFeel::drawTooltip (juce::Graphics& g, const juce::String& text, int width, int height)
{
    const juce::Rectangle<float> box (0.5f, 0.5f, (float) width - 1.0f, (float) height - 1.0f);

    g.setColour (findColour (juce::TooltipWindow::backgroundColourId));
    g.fillRoundedRectangle (box, 4.0f);
    g.setColour (findColour (juce::TooltipWindow::outlineColourId));
    g.drawRoundedRectangle (box, 4.0f, 1.0f);

    layoutTooltipText (text, findColour (juce::TooltipWindow::textColourId))
        .draw (g, { 8.5f, 0.0f, (float) width, (float) height - 2.0f });
}

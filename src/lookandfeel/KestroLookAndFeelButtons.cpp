// The theme's drawers for text, toggle, tick, radio and drawable buttons.
#include "KestroLookAndFeel.h"

#include "KestroColors.h"
#include "ThemeConstants.h"

namespace
{
// Label of a text button; drawn by both drawButtonBackground and drawButtonText.
void _drawTextButtonLabel (juce::Graphics& g, juce::Button& button, bool isDown)
{
    g.setColour (isDown || ! button.isEnabled() ? juce::Colour (0xffd3d3d3) : ThemeConstants::text);
    g.setFont (juce::Font (15.0f));
    g.drawText (button.getButtonText(), button.getLocalBounds().toFloat(), juce::Justification::centred, true);
}
} // namespace

//==============================================================================
void KestroLookAndFeel::drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour&,
                                              bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown)
{
    const auto area = button.getLocalBounds().toFloat();
    const auto h = area.getHeight();
    const bool enabled = button.isEnabled();

    const juce::Colour light (0xff585c5e), dark (0xff4a4a4a);
    juce::Colour top = light, bottom = dark;
    if (! enabled)
        top = bottom = dark;
    else if (shouldDrawButtonAsDown)
        std::swap (top, bottom);

    g.setGradientFill (juce::ColourGradient (top, 0.0f, 0.0f, bottom, 0.0f, h, false));
    g.fillRoundedRectangle (area, 2.5f);

    if (enabled && (shouldDrawButtonAsDown || shouldDrawButtonAsHighlighted))
    {
        const juce::Colour centre (shouldDrawButtonAsDown ? 0x16a7a7a7u : 0x26a7a7a7u);
        g.setGradientFill (juce::ColourGradient (centre, area.getCentreX(), area.getCentreY(),
                                                 juce::Colours::transparentBlack, 0.0f, 0.0f, true));
        g.fillRoundedRectangle (area, 2.5f);
    }

    _drawTextButtonLabel (g, button, shouldDrawButtonAsDown);
}

void KestroLookAndFeel::drawButtonText (juce::Graphics& g, juce::TextButton& button,
                                        bool /*shouldDrawButtonAsHighlighted*/, bool shouldDrawButtonAsDown)
{
    _drawTextButtonLabel (g, button, shouldDrawButtonAsDown);
}

void KestroLookAndFeel::drawToggleButton (juce::Graphics& g, juce::ToggleButton& button,
                                          bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown)
{
    const auto width = button.getWidth();
    const auto height = button.getHeight();
    const float fontSize = juce::jmin (15.0f, (float) height * 0.75f);
    const float boxSize = fontSize * 1.1f;
    const auto text = button.getButtonText();

    if (button.getRadioGroupId() != 0)
        drawRadioBox (g, button, 4.0f, ((float) height - boxSize) / 2.0f, boxSize, boxSize,
                      button.getToggleState(), button.isEnabled(),
                      shouldDrawButtonAsHighlighted, shouldDrawButtonAsDown);
    else if (text.isEmpty())
    {
        const auto side = (float) juce::jmin (width, height);
        drawTickBox (g, button, 0.0f, 0.0f, side, side, button.getToggleState(), button.isEnabled(),
                     shouldDrawButtonAsHighlighted, shouldDrawButtonAsDown);
    }
    else
        drawTickBox (g, button, 4.0f, ((float) height - boxSize) / 2.0f, boxSize, boxSize,
                     button.getToggleState(), button.isEnabled(),
                     shouldDrawButtonAsHighlighted, shouldDrawButtonAsDown);

    if (text.isNotEmpty())
    {
        g.setColour (button.findColour (juce::ToggleButton::textColourId));
        g.setFont (fontSize);
        if (! button.isEnabled())
            g.setOpacity (0.5f);

        const int b = (int) boxSize;
        g.drawFittedText (text, juce::Rectangle<int> (b + 10, 0, width - b - 12, height),
                          juce::Justification::centredLeft, 10);
    }
}

void KestroLookAndFeel::drawTickBox (juce::Graphics& g, juce::Component&, float x, float y, float w, float h,
                                     bool ticked, bool isEnabled,
                                     bool /*shouldDrawButtonAsHighlighted*/, bool shouldDrawButtonAsDown)
{
    const float side = 0.9f * w;
    const juce::Rectangle<float> box (x + (w - side) / 2.0f, y + (h - side) / 2.0f, side, side);

    g.setColour (juce::Colour (isEnabled ? 0xff1d1d1bu : 0x4c1d1d1bu));
    g.fillRoundedRectangle (box, 2.0f);
    g.setColour (juce::Colour (isEnabled ? 0xff646464u : 0x4c646464u));
    g.drawRoundedRectangle (box, 2.0f, 1.0f);

    if (ticked || shouldDrawButtonAsDown)
    {
        // The tick is drawn on a 41 x 41 grid scaled to the box, stroke width included.
        juce::Path tick;
        tick.startNewSubPath (9.0f, 20.0f);
        tick.lineTo (17.0f, 28.0f);
        tick.lineTo (31.0f, 13.0f);

        auto colour = isEnabled ? KestroColors::white : juce::Colours::grey;
        if (shouldDrawButtonAsDown)
            colour = colour.withAlpha ((juce::uint8) 0x4c);

        juce::Graphics::ScopedSaveState saved (g);
        g.addTransform (juce::AffineTransform::scale (side / 41.0f).translated (box.getX(), box.getY()));
        g.setColour (colour);
        g.strokePath (tick, juce::PathStrokeType (2.0f, juce::PathStrokeType::mitered, juce::PathStrokeType::butt));
    }
}

void KestroLookAndFeel::drawDrawableButton (juce::Graphics& g, juce::DrawableButton& button, bool, bool)
{
    if (button.getStyle() != juce::DrawableButton::ImageAboveTextLabel)
        return;

    const int textH = juce::jmin (16, button.proportionOfHeight (0.25f));
    if (textH <= 0)
        return;

    g.setFont ((float) textH);
    g.setColour (button.findColour (button.getToggleState() ? juce::DrawableButton::textColourOnId
                                                            : juce::DrawableButton::textColourId)
                     .withMultipliedAlpha (button.isEnabled() ? 1.0f : 0.4f));
    g.drawFittedText (button.getButtonText(), 2, button.getHeight() - textH - 1, button.getWidth() - 4, textH,
                      juce::Justification::centred, 1);
}

//==============================================================================
void KestroLookAndFeel::drawRadioBox (juce::Graphics& g, juce::Component&, float x, float y, float w, float h,
                                      bool ticked, bool isEnabled,
                                      bool /*shouldDrawButtonAsHighlighted*/, bool shouldDrawButtonAsDown)
{
    const float d = 0.9f * w;
    const float top = y + (h - d) / 2.0f;

    g.setColour (ThemeConstants::field);
    g.fillEllipse (x, top, d, d);
    g.setColour (ThemeConstants::line);
    g.drawEllipse (x, top, d, d, 1.0f);

    if (ticked || shouldDrawButtonAsDown)
    {
        auto colour = isEnabled ? KestroColors::white : juce::Colours::grey;
        if (shouldDrawButtonAsDown)
            colour = colour.withAlpha ((juce::uint8) 0x4c);

        const float s = juce::jmax (0.0f, d - 5.0f);
        g.setColour (colour);
        g.fillEllipse (x + 2.5f, top + 2.5f, s, s);
    }
}

#include "MenuButton.h"

namespace
{
const juce::Colour s_light (0xff585c5e);
const juce::Colour s_dark (0xff4a4a4a);
const juce::Colour s_lightGreyCaption (0xffd3d3d3);
constexpr float s_cornerRadius = 2.5f;

// Alpha of the fill in the segmented form and of the flat fill without gradient.
constexpr juce::uint8 s_translucent = 0x55;
} // namespace

MenuButton::MenuButton() : MenuButton (juce::String()) {}

MenuButton::MenuButton (const juce::String& caption)
    : juce::Button (juce::String()),
      untranslatedText (caption)
{
    setButtonText (juce::translate (caption));
    setSize (140, 28);
}

MenuButton::~MenuButton() = default;

void MenuButton::paintButton (juce::Graphics& g, bool isMouseOver, bool isButtonDown)
{
    if (segments >= 2)
    {
        _paintSegmented (g, isButtonDown);
        return;
    }

    const int w = getWidth(), h = getHeight();
    const bool disabled = ! isEnabled();   // also false when a parent is disabled

    juce::Colour top = s_light, bottom = s_dark, caption = textColour, overlay;

    if (disabled)
    {
        top = bottom = s_dark;
        caption = s_lightGreyCaption;
    }
    else if (isButtonDown)
    {
        top = s_dark;
        bottom = s_light;
        caption = s_lightGreyCaption;
        overlay = juce::Colour (0x16a7a7a7);
    }
    else if (isMouseOver)
    {
        caption = juce::Colours::white;
        overlay = juce::Colour (0x26a7a7a7);
    }

    const juce::Rectangle<float> body (0.5f, 0.5f, (float) w - 1.0f, (float) h - 1.0f);

    if (useGradient)
        g.setGradientFill (juce::ColourGradient (top, 0.0f, 0.0f, bottom, 0.0f, (float) h, false));
    else
        g.setColour ((disabled || isButtonDown ? s_dark : s_light).withAlpha (s_translucent));

    g.fillRoundedRectangle (body, s_cornerRadius);

    if (drawOutline)
    {
        g.setColour (disabled ? outlineColour.withAlpha ((juce::uint8) 0x7f) : outlineColour);
        g.drawRoundedRectangle (body, s_cornerRadius, 1.0f);
    }

    g.setColour (caption);
    g.setFont (juce::Font (15.0f));

    if ((float) h > 1.9f * (float) w)
    {
        // A tall, narrow button: the caption runs down the button.
        juce::Graphics::ScopedSaveState state (g);
        g.addTransform (juce::AffineTransform::rotation (juce::MathConstants<float>::halfPi).translated ((float) w, 0.0f));
        g.drawText (getButtonText(), 5, 0, h - 20, w, justification, true);
    }
    else
    {
        g.drawText (getButtonText(), 5, 0, w - 10, h, justification, true);
    }

    if (! overlay.isTransparent())
    {
        g.setGradientFill (juce::ColourGradient (overlay, (float) w * 0.5f, (float) h * 0.5f,
                                                 juce::Colour (0x00000000), 0.0f, 0.0f, true));
        g.fillRoundedRectangle (0.0f, 0.0f, (float) w, (float) h, s_cornerRadius);
    }
}

void MenuButton::_paintSegmented (juce::Graphics& g, bool isButtonDown)
{
    const int w = getWidth(), h = getHeight();
    const bool disabled = ! isEnabled();

    juce::Colour top = s_light, bottom = s_dark;
    if (disabled)
        top = bottom = s_dark;
    else if (isButtonDown)
        std::swap (top, bottom);

    if (useGradient)
        g.setGradientFill (juce::ColourGradient (top.withAlpha (s_translucent), 0.0f, 0.0f,
                                                 bottom.withAlpha (s_translucent), 0.0f, (float) h, false));
    else
        g.setColour ((disabled || isButtonDown ? s_dark : s_light).withAlpha (s_translucent));

    g.fillRoundedRectangle (0.5f, 0.5f, (float) w - 1.0f, (float) h - 1.0f, s_cornerRadius);

    g.setColour (disabled ? s_lightGreyCaption : textColour);
    g.setFont (juce::Font (h <= 24 ? 12.5f : 15.0f));
    g.drawText (getButtonText() + ":", 0, 0, w, h / 2, justification, true);

    if (segments == 2)
    {
        drawSingleButtonShape (g, 1, h / 2, w / 2 - 2, h / 2, 0);
        drawSingleButtonShape (g, w / 2 + 1, h / 2, w - 2 - w / 2, h / 2, 1);
    }
    else
    {
        drawSingleButtonShape (g, 1, h / 2, w / 3 - 2, h / 2, 0);
        drawSingleButtonShape (g, w / 3 + 1, h / 2, w / 3 - 1, h / 2, 1);
        drawSingleButtonShape (g, 2 * (w / 3) + 2, h / 2, w - 3 - 2 * (w / 3), h / 2, 2);
    }
}

void MenuButton::drawSingleButtonShape (juce::Graphics& g, int x, int y, int w, int h, size_t index)
{
    // A segment without a label is a caller's mistake; it is drawn unlabelled rather than read
    // beyond the list.
    jassert (index < (size_t) segmentLabels.size());

    const juce::Rectangle<float> area ((float) x, (float) y, (float) w, (float) h);
    const bool selected = index == selectedSegment;

    if (selected)
        g.setGradientFill (juce::ColourGradient (s_light, 0.0f, (float) y, s_dark, 0.0f, (float) (y + h), false));
    else
        g.setColour (juce::Colour (0xff2a2a2a));

    g.fillRoundedRectangle (area, s_cornerRadius);

    g.setColour (selected ? juce::Colours::white : juce::Colours::grey);
    g.setFont (juce::Font (getHeight() <= 24 ? 12.5f : 15.0f));
    g.drawText (segmentLabels[(int) index], area, justification, true);
}

void MenuButton::clicked() {}
void MenuButton::resized() {}

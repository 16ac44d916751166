#include "PanelHead.h"

PanelHead::PanelHead (const juce::String& titleText)
    : juce::Button (juce::String()),
      title (titleText)
{
    setSize (140, 36);
}

PanelHead::~PanelHead() = default;

void PanelHead::setTooltip (const juce::String& newTooltip)
{
    untranslatedTooltip = newTooltip;
    // The framework's setter also stops the button from generating a tooltip from its key mappings.
    juce::Button::setTooltip (juce::translate (newTooltip));
}

void PanelHead::mouseMove (const juce::MouseEvent& e)
{
    mousePosition = e.getPosition();
}

void PanelHead::resized() {}

void PanelHead::paintButton (juce::Graphics& g, bool isMouseOver, bool isButtonDown)
{
    const auto w = (float) getWidth(), h = (float) getHeight();
    const juce::Rectangle<float> bounds (0.0f, 0.0f, w, h);
    const float corner = 4.0f;

    g.setColour (backgroundColour);
    g.fillRoundedRectangle (bounds, corner);

    const juce::ColourGradient cornerSheen (juce::Colour (0x16a7a7a7), w, 0.0f, juce::Colour (0x00000000), w, h, true);
    juce::Colour drawingColour = textColour;

    if (isButtonDown)
    {
        g.setGradientFill (cornerSheen);
        g.fillRoundedRectangle (bounds, corner);
        g.setGradientFill (juce::ColourGradient (juce::Colour (0x09a7a7a7), w / 2.0f, 0.0f,
                                                 juce::Colour (0x055f5f5f), w / 2.0f, h, false));
        g.fillRoundedRectangle (bounds, corner);
        drawingColour = juce::Colours::white;
    }
    else if (isMouseOver)
    {
        g.setGradientFill (cornerSheen);
        g.fillRoundedRectangle (bounds, corner);
        g.setGradientFill (juce::ColourGradient (juce::Colour (0x06a7a7a7), w / 2.0f, 0.0f,
                                                 juce::Colour (0x025f5f5f), w / 2.0f, h, false));
        g.fillRoundedRectangle (bounds, corner);

        if ((float) mousePosition.x > w - 45.0f)
        {
            g.setGradientFill (juce::ColourGradient (juce::Colour (0x22ffffff), w - 22.5f, h / 2.0f,
                                                     juce::Colour (0x00000000), w - 5.0f, h / 2.0f, true));
            g.fillRoundedRectangle (w - 45.0f, 0.0f, 45.0f, h, corner);
        }

        drawingColour = juce::Colours::white;
    }

    g.setColour (drawingColour);
    g.setFont (juce::Font (18.0f, juce::Font::plain));
    g.drawText (juce::translate (title), juce::Rectangle<float> (12.0f, 0.0f, w - 12.0f, h),
                juce::Justification::centredLeft, true);

    juce::Path arrow;
    if (isOpen)
        arrow.addTriangle (w - 22.5f, 0.38f * h, w - 15.5f, 0.57f * h, w - 29.5f, 0.57f * h);
    else
        arrow.addTriangle (w - 22.5f, 0.62f * h, w - 15.5f, 0.43f * h, w - 29.5f, 0.43f * h);
    g.fillPath (arrow);
}

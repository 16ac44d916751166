#include "ActiveBarsButton.h"

ActiveBarsButton::ActiveBarsButton (const juce::String& captionText)
    : juce::Button (juce::String()),
      caption (captionText)
{
    setSize (20, 35);
    setClickingTogglesState (true);
    setToggleState (true, juce::dontSendNotification);
}

ActiveBarsButton::~ActiveBarsButton() = default;

bool ActiveBarsButton::_isParentGesture (const juce::ModifierKeys& mods)
{
    const int flags = mods.getRawFlags();
    return flags == (juce::ModifierKeys::ctrlModifier | juce::ModifierKeys::leftButtonModifier)
        || flags == (juce::ModifierKeys::altModifier | juce::ModifierKeys::leftButtonModifier);
}

void ActiveBarsButton::mouseDown (const juce::MouseEvent& e)
{
    if (_isParentGesture (e.mods))
        if (auto* parent = getParentComponent())
            parent->mouseDown (e.getEventRelativeTo (parent));

    juce::Button::mouseDown (e);
}

void ActiveBarsButton::mouseUp (const juce::MouseEvent& e)
{
    if (_isParentGesture (e.mods))
        return;

    juce::Button::mouseUp (e);
}

void ActiveBarsButton::paintButton (juce::Graphics& g, bool isMouseOver, bool isButtonDown)
{
    const float w = (float) getWidth(), h = (float) getHeight();
    auto bar = juce::Rectangle<float> (leftMargin, topMargin + barTopOffset,
                                       w - leftMargin - rightMargin, h - topMargin - barTopOffset);

    if (bar.getHeight() > 28.0f)
        bar = bar.withSizeKeepingCentre (bar.getWidth(), 28.0f);

    const bool on = getToggleState();
    auto& lf = getLookAndFeel();
    const auto highlighted = lf.findColour (juce::PopupMenu::highlightedBackgroundColourId);
    const auto background = lf.findColour (juce::PopupMenu::backgroundColourId);
    const auto outer = bar.expanded (1.0f);

    g.setColour (on ? highlighted : background);
    g.fillRoundedRectangle (outer, 2.5f);

    if (isButtonDown || isMouseOver)
    {
        const auto inner = isButtonDown ? juce::Colour (0x26ffffff) : juce::Colour (0x13f1f1f1);
        const auto edge = isButtonDown ? juce::Colour (0x13999999) : juce::Colour (0x07696969);
        g.setGradientFill (juce::ColourGradient (inner, 8.0f * w / 20.0f, 10.0f * h / 35.0f,
                                                 edge, 13.0f * w / 20.0f, bar.getHeight(), true));
        g.fillRoundedRectangle (outer, 2.5f);
    }

    if (! on)
    {
        g.setColour (highlighted);
        g.drawRoundedRectangle (outer, 2.5f, 1.0f);
    }

    g.setColour (on || isMouseOver ? juce::Colours::white : highlighted);
    g.setFont (juce::Font (15.0f));
    g.drawText (juce::translate (caption), bar.translated (0.0f, (float) textOffset), juce::Justification::centred, false);
}

void ActiveBarsButton::clicked() {}
void ActiveBarsButton::resized() {}

#include "BackgroundPanelWithText.h"

#include "lookandfeel/KestroColors.h"

BackgroundPanelWithText::BackgroundPanelWithText (const juce::String& panelText) : text (panelText) {}

BackgroundPanelWithText::~BackgroundPanelWithText()
{
    text.clear();
}

void BackgroundPanelWithText::paint (juce::Graphics& g)
{
    const int w = getWidth(), h = getHeight();

    g.setColour (KestroColors::menuPanelBackgroundActive);
    g.fillRoundedRectangle (0.0f, 0.0f, (float) w, (float) h, 3.0f);

    g.setColour (juce::Colours::white);
    g.setFont (juce::Font ("Verdana", 18.0f, juce::Font::plain));
    g.drawFittedText (text, 0, 0, w, h / 2, juce::Justification::centred, 3);
}

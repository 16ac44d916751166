#include "MenuPanelComponentBase.h"

MenuPanelComponentBase::MenuPanelComponentBase() = default;
MenuPanelComponentBase::~MenuPanelComponentBase() = default;

void MenuPanelComponentBase::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::white.withAlpha (0.0f));
    g.setColour (backgroundColour);
    g.fillRoundedRectangle (getLocalBounds().toFloat(), 3.0f);
}

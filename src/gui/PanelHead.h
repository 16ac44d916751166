#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The clickable head bar of one accordion panel: a translated title and an arrow that points up
    while the panel is open. The column (`MenuTabBase`) listens to its clicks and sets its state
    and colours; the head only draws them. Message thread only. */
class PanelHead : public juce::Button
{
public:
    explicit PanelHead (const juce::String& title);
    ~PanelHead() override;

    /** Keeps the raw text and shows its translation; the button's automatic tooltip is turned off. */
    void setTooltip (const juce::String& newTooltip) override;

    void mouseMove (const juce::MouseEvent& e) override;
    void resized() override;
    void paintButton (juce::Graphics& g, bool isMouseOver, bool isButtonDown) override;

    /** Raw title; the text drawn is its translation. */
    juce::String title;
    juce::String untranslatedTooltip;
    /** Title and arrow colour while neither hovered nor pressed. */
    juce::Colour textColour { 0xffffffff };
    bool isOpen = false;
    /** The last mouse position inside the head; decides whether the arrow zone is highlighted. */
    juce::Point<int> mousePosition;
    juce::Colour backgroundColour { 0xff303030 };

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PanelHead)
};

#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The program's dark gradient push button with a centred caption: the editor's remote buttons
    and the settings window's buttons. It draws itself instead of asking the look-and-feel.

    The caption is translated once, when it is given; `untranslatedText` keeps the raw one. The
    segmented form (a caption over two or three segments) is switched on by `segments`; nothing
    in the application uses it. Message thread only. */
class MenuButton : public juce::Button
{
public:
    MenuButton();
    explicit MenuButton (const juce::String& caption);
    ~MenuButton() override;

    void paintButton (juce::Graphics& g, bool isMouseOver, bool isButtonDown) override;

    /** Draws segment `index` of the segmented form into the given area. */
    void drawSingleButtonShape (juce::Graphics& g, int x, int y, int w, int h, size_t index);

    using juce::Button::clicked;
    void clicked() override;
    void resized() override;

    /** 2 or 3 select the segmented form. */
    int segments = 0;
    juce::StringArray segmentLabels;
    size_t selectedSegment = 0;
    juce::Colour textColour { 0xffffffff };
    juce::Colour outlineColour { 0x00000000 };
    bool drawOutline = false;
    bool useGradient = true;
    juce::Justification justification { juce::Justification::centred };
    juce::String untranslatedText;

private:
    void _paintSegmented (juce::Graphics& g, bool isButtonDown);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MenuButton)
};

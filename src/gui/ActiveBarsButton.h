#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A narrow toggle bar with a caption, made for a channel-mode choice. It starts on and flips on
    each ordinary click; a control-click or alt-click goes to the parent instead and neither clicks
    nor toggles. The caption is translated when drawn. Message thread only. */
class ActiveBarsButton : public juce::Button
{
public:
    explicit ActiveBarsButton (const juce::String& captionText);
    ~ActiveBarsButton() override;

    void mouseDown (const juce::MouseEvent& e) override;
    void mouseUp (const juce::MouseEvent& e) override;
    void paintButton (juce::Graphics& g, bool isMouseOver, bool isButtonDown) override;
    using juce::Button::clicked;
    void clicked() override;
    void resized() override;

    juce::String caption;
    float leftMargin = 2.0f;
    float rightMargin = 1.0f;
    float topMargin = 1.0f;
    float barTopOffset = 2.0f;
    int textOffset = 0;

private:
    static bool _isParentGesture (const juce::ModifierKeys& mods);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ActiveBarsButton)
};

#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The rounded dark panel behind the editor's channel-mode choice, with its prompt in white across
    the upper half. The text is given at construction and never changes. Message thread only. */
class BackgroundPanelWithText : public juce::Component
{
public:
    explicit BackgroundPanelWithText (const juce::String& panelText);
    ~BackgroundPanelWithText() override;

    void paint (juce::Graphics& g) override;

    juce::String text;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BackgroundPanelWithText)
};

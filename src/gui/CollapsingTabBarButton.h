#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class CollapsingTabbedButtonBar;

/** A tab of the collapsing tab bar: the framework's tab button, drawn by the theme, whose clicks
    go to its bar's rank keeping. Message thread only. */
class CollapsingTabBarButton : public juce::TabBarButton
{
public:
    CollapsingTabBarButton (const juce::String& name, CollapsingTabbedButtonBar& bar);
    ~CollapsingTabBarButton() override;

    void clicked (const juce::ModifierKeys& modifiers) override;

    /** The pixels at both ends of the tab that its rectangular hit zone leaves out. */
    void setOverlapPixels (int pixels) noexcept { overlapPixels = pixels; }
    int getOverlapPixels() const noexcept { return overlapPixels; }

private:
    // The framework calls only the form with the modifier keys; this one forwards to it.
    void clicked() override;

    CollapsingTabbedButtonBar& _bar;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CollapsingTabBarButton)
};

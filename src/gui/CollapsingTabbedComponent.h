#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class CollapsingTabbedButtonBar;

/** The framework's tabbed component with the collapsing tab bar in place of its own bar. The bar
    tells it of every selection change, and it shows the selected tab's content as the framework's
    component does. Use `getCollapsingBar` (not the framework's bar accessor) for the bar's own
    operations, and `getCurrentContentComponent` of this class for the shown content. Message
    thread only. */
class CollapsingTabbedComponent : public juce::TabbedComponent
{
public:
    explicit CollapsingTabbedComponent (juce::TabbedButtonBar::Orientation orientation);
    ~CollapsingTabbedComponent() override;

    CollapsingTabbedButtonBar& getCollapsingBar() const noexcept;

    /** The content of the current tab, null when there is none. */
    juce::Component* getCurrentContentComponent() const noexcept { return _shownContent.get(); }

    /** Shows the content of the bar's current tab and hides the previous one; called by the bar
        after each selection change. */
    void showTab (int newCurrentTabIndex, const juce::String& newCurrentTabName);

private:
    juce::WeakReference<juce::Component> _shownContent;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CollapsingTabbedComponent)
};

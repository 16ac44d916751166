#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class CollapsingTabbedComponent;

/** The settings window's tab bar: the framework's tab bar with a recency rank per tab. When the
    tabs do not fit, it narrows them to 45-px icon tabs, least recently clicked first, before it
    falls back on an extras button with a drop-down of the hidden tabs. A horizontal bar lays its
    tabs out at their stored widths, overlapping 10 px more than the theme asks for; a vertical
    bar scales them as the framework does. `updateToolTips` gives every tab of 49 px or less its
    name as tooltip.

    Its tab buttons are `CollapsingTabBarButton`s, which report their clicks here. Inside a
    `CollapsingTabbedComponent` the bar passes selection changes and pop-up-menu clicks on to it.
    At most 30 tabs. Message thread only. */
class CollapsingTabbedButtonBar : public juce::TabbedButtonBar
{
public:
    static constexpr int maxTabs = 30;
    static constexpr int collapsedTabWidth = 45;
    /** Tabs this wide or narrower carry their name as tooltip. */
    static constexpr int tooltipWidthLimit = 49;

    /** @param ownerComponent  the tabbed component told of selection changes and pop-up-menu
                               clicks; null for a bar on its own. */
    explicit CollapsingTabbedButtonBar (Orientation barOrientation, CollapsingTabbedComponent* ownerComponent = nullptr);
    ~CollapsingTabbedButtonBar() override;

    void resized() override;
    void lookAndFeelChanged() override;
    void currentTabChanged (int newCurrentTabIndex, const juce::String& newCurrentTabName) override;
    void popupMenuClickOnTab (int tabIndex, const juce::String& tabName) override;

    /** A click on one of the bar's tab buttons: selects the tab and raises its rank, or passes a
        pop-up-menu click on and changes nothing. */
    void tabClicked (juce::TabBarButton& button, const juce::ModifierKeys& modifiers);

    /** The framework's setter keeps its factor private; call this one so that the layout sees it. */
    void setMinimumTabScaleFactor (double newMinimumScale);
    double getMinimumTabScaleFactor() const noexcept { return _minimumScale; }

    /** Tabs of 49 px or less get their own (untranslated) name as tooltip, all others none. */
    void updateToolTips();

    /** The extras button, present only while even the collapsed tabs do not fit. */
    juce::Button* getExtrasButton() const noexcept { return _extrasButton.get(); }

    /** Recency rank per tab index: the last clicked tab has tab count - 1. */
    int tabPriorities[maxTabs] {};
    /** The width a horizontal bar gives each tab; rewritten by every layout. */
    int tabWidths[maxTabs];

protected:
    juce::TabBarButton* createTabButton (const juce::String& tabName, int tabIndex) override;

private:
    void _showExtraItemsMenu();

    CollapsingTabbedComponent* const _owner;
    /** The framework's component that draws the area behind the front tab; owned by the base. */
    juce::Component* _behindFrontTab = nullptr;
    std::unique_ptr<juce::Button> _extrasButton;
    double _minimumScale = 0.7;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CollapsingTabbedButtonBar)
};

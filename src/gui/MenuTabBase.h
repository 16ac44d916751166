#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class MenuPanelComponentBase;
class PanelHead;

/** One tab of the settings window: an accordion column of up to six panels, each under its own
    head. A click on the left part of a head opens that panel and closes the others; a click on
    the right-hand 48 px (the arrow) opens or closes that panel alone. The new layout slides into
    place through the desktop's component animator.

    The column lives in a vertically scrolling viewport and takes the viewport's width, less room
    for the scrollbar while its content is taller than the visible area. Layout is driven from
    outside (the settings window on resize, a panel whose height changed, the editor after a
    routing rebuild); `resized` does nothing. The concrete tab owns its heads and panels and
    deletes them pair by pair. Message thread only. */
class MenuTabBase : public juce::Component,
                    public juce::Button::Listener
{
public:
    static constexpr int maxPanels = 6;

    MenuTabBase();
    ~MenuTabBase() override;

    void mouseDown (const juce::MouseEvent& e) override;
    void paint (juce::Graphics& g) override;
    void resized() override;
    void buttonClicked (juce::Button* button) override;

    /** Sets the tooltips of the tab's heads. */
    virtual void updateTabTooltips() = 0;
    virtual void update() {}

    /** Recolours the heads and panels by their open state, sets the panels' heights and stacks
        them, then lays the column out with updateWidth. */
    void updatePanels (bool animate);

    /** Takes the viewport's width and moves the column, its heads and its panels to their places;
        a column outside a viewport keeps its width and its own bounds. */
    void updateWidth (bool animate);

    MenuPanelComponentBase* panels[maxPanels] {};
    /** heads[i] is the head of panels[i]; a head never stands without its panel. */
    PanelHead* heads[maxPanels] {};
    int numPanels = 0;
    int marginX = 0;
    int panelWidth = 0;
    int headHeight = 40;
    /** Space between the bottom of a panel and the next head. */
    int gap = 5;
    /** Set by the last mouse press: true when it hit the arrow zone of a head. */
    bool toggleSingle = false;

    static constexpr int toggleZoneWidth = 48;
    static constexpr int scrollbarWidth = 18;
    static constexpr int animationMs = 250;

private:
    void _placeComponent (juce::Component& component, juce::Rectangle<int> bounds, bool animate);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MenuTabBase)
};

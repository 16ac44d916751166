#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The body of one panel of an accordion column (`MenuTabBase`). The column stacks the bodies and
    sets their heights and colours; a concrete panel lays out its own content and reports the
    height it needs when open in `openHeight`, from its `resized`. Message thread only. */
class MenuPanelComponentBase : public juce::Component
{
public:
    MenuPanelComponentBase();
    ~MenuPanelComponentBase() override;

    void paint (juce::Graphics& g) override;

    /** Rebuilds the panel's content. */
    virtual void updateWholePanelContent() = 0;
    virtual void updateColors (bool, bool) {}
    /** Drops changes that were not committed. */
    virtual void discardPanelChanges() = 0;
    virtual void update() {}

    /** y of the panel's head in the column. */
    int panelTop = 0;
    /** y of the panel body in the column. */
    int contentTop = 0;
    /** Body height when open; set by the concrete panel in its resized. */
    int openHeight = 0;
    /** openHeight while the panel's head is open, 0 while it is closed. */
    int currentHeight = 0;
    juce::Colour backgroundColour { 0x00000000 };

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MenuPanelComponentBase)
};

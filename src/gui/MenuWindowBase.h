#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The floating settings window: its own borderless top-level window, always on top, that the
    editor shows and hides and that lives as long as the editor. It places itself beside its owner
    each time it is shown; a close request only hides it. Message thread only. */
class MenuWindowBase : public juce::ResizableWindow
{
public:
    /** Builds the window hidden, on the desktop, with the settings window's properties.
        @param ownerComponent  the editor the window is placed beside; must outlive the window.
        @param icon            the window icon. */
    MenuWindowBase (juce::Component& ownerComponent, const juce::Image& icon);

    void visibilityChanged() override;
    void userTriedToCloseWindow() override;

    juce::Component* const owner;

private:
    void _placeBesideOwner();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MenuWindowBase)
};

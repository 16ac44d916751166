#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The floating settings window: its own borderless top-level window, always on top, that the
    editor shows and hides and that lives as long as the editor. It places itself beside its owner
    each time it is shown; a close request only hides it. Message thread only.

    Its native window is made the first time it is shown, not with the window: JUCE runs a 100 Hz
    repaint timer for every native window, shown or not, so a settings window that is never
    opened would wake the idle program for nothing. */
class MenuWindowBase : public juce::ResizableWindow
{
public:
    /** Builds the window hidden, not yet on the desktop, with the settings window's properties.
        @param ownerComponent  the editor the window is placed beside; must outlive the window.
        @param icon            the window icon, given to the native window when it is made. */
    MenuWindowBase (juce::Component& ownerComponent, const juce::Image& icon);

    /** Showing the window for the first time puts it on the desktop. */
    void setVisible (bool shouldBeVisible) override;
    void visibilityChanged() override;
    void userTriedToCloseWindow() override;

    juce::Component* const owner;

private:
    void _placeBesideOwner();
    void _createNativeWindow();

    const juce::Image windowIcon;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MenuWindowBase)
};

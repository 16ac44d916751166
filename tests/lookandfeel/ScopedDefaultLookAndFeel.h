#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Installs a look-and-feel as JUCE's default for one test and puts the previous default back.

    JUCE resolves every font's typeface through the default look-and-feel and caches the result
    by face name, so the cache is cleared on both sides: text drawn inside the scope uses the
    installed theme's mapping, and text drawn after it does not keep that mapping. */
class ScopedDefaultLookAndFeel
{
public:
    explicit ScopedDefaultLookAndFeel (juce::LookAndFeel& lookAndFeel)
        : previous (&juce::LookAndFeel::getDefaultLookAndFeel())
    {
        juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);
        juce::Typeface::clearTypefaceCache();
    }

    ~ScopedDefaultLookAndFeel()
    {
        juce::LookAndFeel::setDefaultLookAndFeel (previous.get());
        juce::Typeface::clearTypefaceCache();
    }

private:
    juce::WeakReference<juce::LookAndFeel> previous;

    JUCE_DECLARE_NON_COPYABLE (ScopedDefaultLookAndFeel)
};
